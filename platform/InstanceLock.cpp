#include "platform/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

#include "platform/DebugLog.h"

std::string InstanceLockPath(const std::string& name)
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/')
        return std::string(runtime) + "/" + name + ".lock";
    std::error_code ec;
    std::string temp = std::filesystem::temp_directory_path(ec).string();
    if (ec || temp.empty())
        temp = "/tmp";
    if (temp.back() == '/')
        temp.pop_back();
    return temp + "/" + name + "-" + std::to_string(::getuid()) + ".lock";
}

InstanceLockResult AcquireInstanceLock(const std::string& name)
{
    std::string path = InstanceLockPath(name);
    // O_NOFOLLOW: in a shared temporary folder nobody may plant a link for us.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        DebugLogA("instance lock: cannot open %s (errno %d)\n", path.c_str(), errno);
        return InstanceLockResult::Unavailable;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return InstanceLockResult::AlreadyRunning;
        DebugLogA("instance lock: cannot lock %s (errno %d)\n", path.c_str(), error);
        return InstanceLockResult::Unavailable;
    }
    // The descriptor is deliberately never closed: the lock lives as long as
    // the process, like the handle of the named mutex it replaces.
    return InstanceLockResult::Acquired;
}
