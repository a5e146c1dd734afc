#include "stream/SocketSend.h"

#include <cerrno>
#include <sys/socket.h>

namespace stream {

bool SendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

} // namespace stream
