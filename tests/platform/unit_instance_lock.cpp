#include <gtest/gtest.h>

#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace {

using korvana::test::ScopedEnv;
using korvana::test::TempDir;

constexpr const char* kHelperVariable = "KORVANA_LOCK_HELPER";
constexpr const char* kName = "{31c8110d-731d-fb82-52c3-3a31c800530e3a707ff}";

// Runs this test program again with only the helper below, which tries the
// lock in a process of its own and exits with what it got.
int RunHelperProcess()
{
    std::string self = RunningProgramPath();
    std::string filter = "--gtest_filter=InstanceLockHelper.*";
    std::vector<char*> argv {self.data(), filter.data(), nullptr};
    ScopedEnv helper(kHelperVariable, "1");
    pid_t pid = 0;
    if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(InstanceLockHelper, TakeLockInThisProcess)
{
    if (!std::getenv(kHelperVariable))
        GTEST_SKIP() << "runs only as the helper process of the lock tests";
    std::_Exit(10 + static_cast<int>(AcquireInstanceLock(kName)));
}

TEST(InstanceLock, ASecondProcessFindsTheFirstRunning)
{
    TempDir runtime;
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().string());
    EXPECT_EQ(InstanceLockPath(kName), runtime.path().string() + "/" + kName + ".lock");

    // Nobody holds it: a helper gets it, and it is free again once that process ends.
    EXPECT_EQ(RunHelperProcess(), 10 + static_cast<int>(InstanceLockResult::Acquired));
    EXPECT_EQ(RunHelperProcess(), 10 + static_cast<int>(InstanceLockResult::Acquired));

    ASSERT_EQ(AcquireInstanceLock(kName), InstanceLockResult::Acquired);
    EXPECT_EQ(RunHelperProcess(), 10 + static_cast<int>(InstanceLockResult::AlreadyRunning));
    // Held for the life of the process: asking again here finds it taken too.
    EXPECT_EQ(AcquireInstanceLock(kName), InstanceLockResult::AlreadyRunning);
}

TEST(InstanceLock, WithoutRuntimeFolderTheLockIsPerUserInTheTemporaryFolder)
{
    ScopedEnv env("XDG_RUNTIME_DIR", std::nullopt);
    TempDir tmp;
    ScopedEnv tmpdir("TMPDIR", tmp.path().string());
    EXPECT_EQ(InstanceLockPath("n"), tmp.path().string() + "/n-" + std::to_string(::getuid()) + ".lock");
}

TEST(InstanceLock, AnUnusableFolderLetsTheClientRunUnlocked)
{
    ScopedEnv env("XDG_RUNTIME_DIR", "/proc/no-such-folder");
    EXPECT_EQ(AcquireInstanceLock(kName), InstanceLockResult::Unavailable);
}

}  // namespace
