#include "tests/support/QrDecode.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace korvana::test {

std::string DecodeQr(const std::filesystem::path& picture)
{
    // The path goes to zbarimg as its own argument, never through a shell.
    int out[2];
    if (::pipe(out) != 0)
        return {};
    const std::string path = picture.string();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(out[0]);
        ::close(out[1]);
        return {};
    }
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        const int quiet = ::open("/dev/null", O_WRONLY);
        if (quiet >= 0)
            ::dup2(quiet, STDERR_FILENO);
        ::execlp("zbarimg", "zbarimg", "--quiet", "--raw", path.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(out[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

} // namespace korvana::test
