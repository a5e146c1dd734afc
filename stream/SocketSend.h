#pragma once
// Writing a whole message to a stream socket, both ends of the play stream.
#include <cstddef>
#include <string>

namespace stream {

// Sends every byte (retrying after signals, never raising SIGPIPE); false
// when the connection is gone.
bool SendAll(int fd, const char* data, std::size_t size);
inline bool SendAll(int fd, const std::string& bytes)
{
    return SendAll(fd, bytes.data(), bytes.size());
}

} // namespace stream
