#include "tests/support/HelperProcess.h"

#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/support/ScopedEnv.h"

extern char** environ;

namespace korvana::test {

int RunHelperProcess(const std::string& filter, const std::string& role)
{
    std::string self = RunningProgramPath();
    std::string filterArg = "--gtest_filter=" + filter;
    std::vector<char*> argv { self.data(), filterArg.data(), nullptr };
    ScopedEnv helper(kHelperProcessVariable, role);
    pid_t pid = 0;
    if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string HelperRole()
{
    const char* role = std::getenv(kHelperProcessVariable);
    return role ? role : "";
}

} // namespace korvana::test
