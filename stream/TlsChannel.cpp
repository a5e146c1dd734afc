#include "stream/TlsChannel.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>

namespace stream {
namespace {

    using Clock = std::chrono::steady_clock;

    std::string OpenSslError(const char* what)
    {
        const unsigned long code = ERR_get_error();
        ERR_clear_error();
        if (code == 0)
            return what;
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        return std::string(what) + ": " + text;
    }

    SSL_CTX* NewContext(const SSL_METHOD* method)
    {
        SSL_CTX* ctx = SSL_CTX_new(method);
        if (ctx == nullptr)
            return nullptr;
        SSL_CTX_set_min_proto_version(ctx, TLS1_3_VERSION);
        // Partial writes: a full socket is waited for outside the lock, then the
        // rest is written.
        SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
        // The stream's own Close and Bye end it; a connection that ends without
        // TLS's close_notify is an ordinary end, and a message cut short is
        // still caught by the message framing.
        SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF | SSL_OP_NO_RENEGOTIATION);
        return ctx;
    }

    // Waits for the socket until the deadline (none when `forever`); false
    // when the time is up.
    bool WaitFor(int fd, short events, bool forever, Clock::time_point deadline)
    {
        for (;;) {
            int timeout = -1;
            if (!forever) {
                const auto left
                    = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
                if (left <= 0)
                    return false;
                timeout = static_cast<int>(std::min<long long>(left, INT_MAX));
            }
            pollfd pfd { fd, events, 0 };
            const int ready = ::poll(&pfd, 1, timeout);
            if (ready < 0 && errno == EINTR)
                continue;
            return ready != 0; // an error of poll shows in the next TLS call
        }
    }

} // namespace

TlsContext::~TlsContext()
{
    SSL_CTX_free(m_ctx);
}

std::unique_ptr<TlsContext> TlsContext::ForService(
    const std::string& certificateFile, const std::string& keyFile, std::string& error)
{
    SSL_CTX* ctx = NewContext(TLS_server_method());
    if (ctx == nullptr) {
        error = OpenSslError("no TLS context");
        return nullptr;
    }
    std::unique_ptr<TlsContext> context(new TlsContext(ctx));
    // No resumption: a ticket would only be more bytes after the handshake.
    SSL_CTX_set_num_tickets(ctx, 0);
    if (SSL_CTX_use_certificate_chain_file(ctx, certificateFile.c_str()) != 1) {
        error = OpenSslError(("certificate " + certificateFile + " unusable").c_str());
        return nullptr;
    }
    if (SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1
        || SSL_CTX_check_private_key(ctx) != 1) {
        error = OpenSslError(("key " + keyFile + " unusable").c_str());
        return nullptr;
    }
    return context;
}

std::unique_ptr<TlsContext> TlsContext::ForPlayer(const std::string& caFile, std::string& error)
{
    // TLS writes with write(2): a service gone mid-write ends the
    // connection, not the program.
    std::signal(SIGPIPE, SIG_IGN);
    SSL_CTX* ctx = NewContext(TLS_client_method());
    if (ctx == nullptr) {
        error = OpenSslError("no TLS context");
        return nullptr;
    }
    std::unique_ptr<TlsContext> context(new TlsContext(ctx));
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    const int loaded = caFile.empty() ? SSL_CTX_set_default_verify_paths(ctx)
                                      : SSL_CTX_load_verify_locations(ctx, caFile.c_str(), nullptr);
    if (loaded != 1) {
        error = OpenSslError(caFile.empty() ? "the system's certificate store is unusable"
                                            : ("CA bundle " + caFile + " unusable").c_str());
        return nullptr;
    }
    return context;
}

TlsChannel::~TlsChannel()
{
    SSL_free(m_ssl);
}

TlsChannel::Handshake TlsChannel::Accept(const TlsContext& context, int fd, int limitMs)
{
    SSL* ssl = SSL_new(context.get());
    if (ssl == nullptr)
        return { nullptr, OpenSslError("no TLS state"), false };
    SSL_set_accept_state(ssl);
    return Shake(ssl, fd, limitMs);
}

TlsChannel::Handshake TlsChannel::Connect(
    const TlsContext& context, int fd, const std::string& host, int limitMs)
{
    SSL* ssl = SSL_new(context.get());
    if (ssl == nullptr)
        return { nullptr, OpenSslError("no TLS state"), false };
    in6_addr address {};
    const bool numeric
        = inet_pton(AF_INET, host.c_str(), &address) == 1 || inet_pton(AF_INET6, host.c_str(), &address) == 1;
    // An IP address is checked against the certificate's IP addresses, a
    // name against its names (and sent as the server name).
    const bool named = numeric
        ? X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str()) == 1
        : SSL_set1_host(ssl, host.c_str()) == 1 && SSL_set_tlsext_host_name(ssl, host.c_str()) == 1;
    if (!named) {
        SSL_free(ssl);
        return { nullptr, OpenSslError(("the address " + host + " cannot be checked").c_str()), false };
    }
    SSL_set_connect_state(ssl);
    return Shake(ssl, fd, limitMs);
}

TlsChannel::Handshake TlsChannel::Shake(SSL* ssl, int fd, int limitMs)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    if (SSL_set_fd(ssl, fd) != 1) {
        SSL_free(ssl);
        return { nullptr, OpenSslError("no TLS state"), false };
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    Handshake result;
    for (;;) {
        ERR_clear_error();
        errno = 0;
        const int rc = SSL_do_handshake(ssl);
        if (rc == 1) {
            result.channel.reset(new TlsChannel(ssl, fd));
            return result;
        }
        const int problem = SSL_get_error(ssl, rc);
        if (problem == SSL_ERROR_WANT_READ || problem == SSL_ERROR_WANT_WRITE) {
            if (WaitFor(fd, problem == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, false, deadline))
                continue;
            result.error = "TLS handshake: no answer in time";
            break;
        }
        const long verified = SSL_get_verify_result(ssl);
        if (verified != X509_V_OK) {
            result.untrusted = true;
            result.error = std::string("certificate not trusted: ") + X509_verify_cert_error_string(verified);
        } else if (problem == SSL_ERROR_SYSCALL && ERR_peek_error() == 0) {
            result.error = errno == 0 ? std::string("TLS handshake: the peer closed the connection")
                                      : std::string("TLS handshake: ") + std::strerror(errno);
        } else {
            result.error = OpenSslError("TLS handshake");
        }
        break;
    }
    ERR_clear_error();
    SSL_free(ssl);
    return result;
}

long TlsChannel::Read(char* buffer, std::size_t size, int limitMs, std::string& error)
{
    const bool forever = limitMs < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : limitMs);
    const int want = static_cast<int>(std::min<std::size_t>(size, INT_MAX));
    for (;;) {
        int got = 0;
        int problem = SSL_ERROR_NONE;
        {
            std::lock_guard lock(m_mutex);
            ERR_clear_error();
            errno = 0;
            got = SSL_read(m_ssl, buffer, want);
            if (got > 0)
                return got;
            problem = SSL_get_error(m_ssl, got);
            if (problem == SSL_ERROR_SSL)
                error = OpenSslError("TLS");
        }
        switch (problem) {
        case SSL_ERROR_ZERO_RETURN:
            return 0;
        case SSL_ERROR_WANT_READ:
        case SSL_ERROR_WANT_WRITE:
            if (!WaitFor(m_fd, problem == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, forever, deadline))
                return kTimedOut;
            continue;
        case SSL_ERROR_SYSCALL:
            if (errno == 0)
                return 0;
            error = std::strerror(errno);
            return -1;
        case SSL_ERROR_SSL:
            return -1;
        default:
            error = "TLS read failed (" + std::to_string(problem) + ")";
            return -1;
        }
    }
}

bool TlsChannel::WriteAll(const char* data, std::size_t size, int limitMs)
{
    std::lock_guard writing(m_writeMutex);
    while (size > 0) {
        const int chunk = static_cast<int>(std::min<std::size_t>(size, INT_MAX));
        int sent = 0;
        int problem = SSL_ERROR_NONE;
        {
            std::lock_guard lock(m_mutex);
            ERR_clear_error();
            sent = SSL_write(m_ssl, data, chunk);
            if (sent <= 0) {
                problem = SSL_get_error(m_ssl, sent);
                ERR_clear_error();
            }
        }
        if (sent > 0) {
            data += sent;
            size -= static_cast<std::size_t>(sent);
            continue;
        }
        if (problem != SSL_ERROR_WANT_WRITE && problem != SSL_ERROR_WANT_READ)
            return false;
        const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
        if (!WaitFor(m_fd, problem == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT, false, deadline))
            return false;
    }
    return true;
}

} // namespace stream
