#pragma once
// The play stream over TLS (OpenSSL), for a client built for https: the
// same messages, inside TLS 1.3 (both ends are ours, nothing older is
// needed).
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;

namespace stream {

// What one end shows or trusts: the service's certificate chain and key, or
// the player's trust (a pinned CA bundle, or the system's store). A player
// always verifies the service's certificate; nothing turns that off.
class TlsContext {
public:
    static std::unique_ptr<TlsContext> ForService(
        const std::string& certificateFile, const std::string& keyFile, std::string& error);
    // An empty caFile: the system's store.
    static std::unique_ptr<TlsContext> ForPlayer(const std::string& caFile, std::string& error);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    SSL_CTX* get() const { return m_ctx; }

private:
    explicit TlsContext(SSL_CTX* ctx)
        : m_ctx(ctx)
    {
    }
    SSL_CTX* m_ctx;
};

// One TLS connection over a connected socket, which is made non-blocking and
// stays the caller's to shut down and close. One thread may read while
// another writes: every call on the TLS state is made under one lock, and
// the waiting for the socket outside it. A ::shutdown() of the socket from
// any thread wakes both, as on a plain socket.
class TlsChannel {
public:
    struct Handshake {
        std::unique_ptr<TlsChannel> channel; // null when it failed
        std::string error;
        bool untrusted = false; // the peer's certificate did not verify (error says why)
    };
    // The service's side.
    static Handshake Accept(const TlsContext& context, int fd, int limitMs);
    // The player's side: the certificate must verify and be for `host` (a
    // name, or an IP address as the play address gives it).
    static Handshake Connect(const TlsContext& context, int fd, const std::string& host, int limitMs);
    ~TlsChannel();
    TlsChannel(const TlsChannel&) = delete;
    TlsChannel& operator=(const TlsChannel&) = delete;

    static constexpr long kTimedOut = -2;
    // Waits up to limitMs (-1: no limit) for bytes: how many were read, 0 at
    // the peer's end, -1 on a failure (error says which), kTimedOut.
    long Read(char* buffer, std::size_t size, int limitMs, std::string& error);
    // Writes all of it, waiting up to limitMs each time the socket is full;
    // false when the connection is gone or stays full.
    bool WriteAll(const char* data, std::size_t size, int limitMs);
    bool WriteAll(const std::string& bytes, int limitMs)
    {
        return WriteAll(bytes.data(), bytes.size(), limitMs);
    }

private:
    TlsChannel(SSL* ssl, int fd)
        : m_ssl(ssl)
        , m_fd(fd)
    {
    }
    static Handshake Shake(SSL* ssl, int fd, int limitMs);

    std::mutex m_writeMutex; // one writer at a time: a write waiting for room is repeated as it was
    std::mutex m_mutex; // every call on m_ssl
    SSL* m_ssl;
    int m_fd;
};

} // namespace stream
