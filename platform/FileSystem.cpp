#include "platform/FileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    // No HOME (a service manager may start us so): ask the user database.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/tmp";
}

// An XDG variable counts only when it holds an absolute path.
std::string XdgFolder(const char* variable, const char* fallbackBelowHome)
{
    if (const char* value = std::getenv(variable); value && value[0] == '/') {
        std::string folder = value;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return folder;
    }
    std::string home = HomeFolder();
    if (!home.empty() && home.back() == '/')
        home.pop_back();
    return home + fallbackBelowHome;
}

std::mutex g_programPathMutex;
std::string g_programPathOverride;

} // namespace

std::string LocalDataFolder()
{
    return XdgFolder("XDG_DATA_HOME", "/.local/share");
}

std::string UserConfigFolder()
{
    return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

bool CreateOneFolder(const std::string& path)
{
    return !path.empty() && ::mkdir(path.c_str(), 0700) == 0;
}

bool PathExists(const std::string& path)
{
    struct stat st { };
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path)
{
    struct stat st { };
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path)
{
    struct stat st { };
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool RestrictMode(const std::string& path, unsigned mode)
{
    struct stat st { };
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode))
        return false;
    const mode_t now = st.st_mode & 07777;
    if ((now & ~static_cast<mode_t>(mode)) == 0)
        return true;
    return ::chmod(path.c_str(), now & static_cast<mode_t>(mode)) == 0;
}

bool CreatePrivateFileIfMissing(const std::string& path)
{
    if (path.empty())
        return false;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    return errno == EEXIST;
}

bool DeleteOneFile(const std::string& path)
{
    if (path.empty())
        return false;
    if (::unlink(path.c_str()) == 0)
        return true;
    return errno == ENOENT;
}

std::string RunningProgramPath()
{
    {
        std::lock_guard lock(g_programPathMutex);
        if (!g_programPathOverride.empty())
            return g_programPathOverride;
    }
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        if (buffer.size() >= (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

void OverrideRunningProgramPathForTesting(const std::string& path)
{
    std::lock_guard lock(g_programPathMutex);
    g_programPathOverride = path;
}
