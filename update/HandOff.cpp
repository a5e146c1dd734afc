#include "update/HandOff.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/DebugLog.h"
#include "platform/TestHook.h"
#include "update/HandOffScript.h"

namespace {

HookSlot<bool(const std::string&)>& Starter()
{
    static HookSlot<bool(const std::string&)> slot;
    return slot;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

} // namespace

bool WriteHandOffScripts(
    const std::string& folder, const std::string& programName, const std::string& installerPath)
{
    return WriteFileAtomically(
               folder + kBatchScriptFileName, BatchHandOffScript(programName, installerPath), 0600)
        && WriteFileAtomically(
            folder + kShellScriptFileName, ShellHandOffScript(programName, installerPath), 0700);
}

void SetHandOffStarterForTesting(std::function<bool(const std::string&)> starter)
{
    Starter().Set(std::move(starter));
}

bool StartHandOffScript(const std::string& scriptPath)
{
    if (auto hook = Starter().Get())
        return hook(scriptPath);

    const std::string folder = FolderOf(scriptPath);
    // The grandchild tells through this pipe whether exec failed; a pipe
    // closed without a word means the script runs.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here on: the client has threads.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        // Nothing of the client stays open in the script.
        for (int fd = 3; fd < 1024; ++fd) {
            if (fd != report[1])
                ::close(fd);
        }
        if (::chdir(folder.c_str()) != 0) {
            // The script needs no particular folder.
        }
        const char* argv[] = { "/bin/sh", scriptPath.c_str(), nullptr };
        ::execv("/bin/sh", const_cast<char* const*>(argv));
        const int error = errno;
        [[maybe_unused]] ssize_t n = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || got > 0) {
        DebugLogA("hand-off script %s not started, errno %d\n", scriptPath.c_str(), error);
        return false;
    }
    return true;
}
