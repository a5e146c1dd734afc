#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Files the client keeps are a few hundred bytes; anything far larger is not
// ours and is not loaded whole.
constexpr off_t kLargestFile = 16 * 1024 * 1024;

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, bool* unreadable)
{
    if (unreadable)
        *unreadable = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (unreadable && errno != ENOENT && errno != ENOTDIR)
            *unreadable = true;
        return std::nullopt;
    }
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kLargestFile) {
        ::close(fd);
        if (unreadable)
            *unreadable = true;
        return std::nullopt;
    }
    std::string bytes;
    char chunk[8192];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            if (unreadable)
                *unreadable = true;
            return std::nullopt;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
        if (bytes.size() > static_cast<std::size_t>(kLargestFile)) {
            ::close(fd);
            if (unreadable)
                *unreadable = true;
            return std::nullopt;
        }
    }
    ::close(fd);
    return bytes;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, mode_t mode)
{
    if (path.empty())
        return false;
    std::string temp = path + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}
