#include "service/control/PlayStream.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "service/control/ScreenPainter.h"
#include "stream/SocketSend.h"
#include "stream/VideoEncoder.h"

namespace service {
namespace {

    using stream::SendAll;

    using Clock = std::chrono::steady_clock;
    constexpr int kHelloTimeoutMs = 10000;
    // A player that stops reading cannot hold a sender for ever.
    constexpr int kSendLimitSeconds = 5;
    constexpr auto kStillInterval = std::chrono::milliseconds(500);
    constexpr auto kFrameInterval
        = std::chrono::duration<double, std::milli>(1000.0 / PlayStreamServer::kFps);
    constexpr auto kShortestInterval = std::chrono::milliseconds(8);

    int Multiple(double value, int of)
    {
        return std::max(of, static_cast<int>(value / of) * of);
    }

    // The picture size for a player that wants at most maxWidth x maxHeight:
    // the device's size, or smaller with about the same shape.
    std::pair<int, int> StreamSize(int maxWidth, int maxHeight)
    {
        double scale = 1.0;
        if (maxWidth > 0)
            scale = std::min(scale, static_cast<double>(maxWidth) / ScreenLayout::kWidth);
        if (maxHeight > 0)
            scale = std::min(scale, static_cast<double>(maxHeight) / ScreenLayout::kHeight);
        scale = std::max(scale, 0.125);
        // Rows of whole 16-pixel blocks keep the colour conversion inside them.
        return { Multiple(ScreenLayout::kWidth * scale, 16), Multiple(ScreenLayout::kHeight * scale, 2) };
    }

    std::uint64_t MicrosSinceEpoch(std::chrono::system_clock::time_point at)
    {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(at.time_since_epoch()).count());
    }

    bool InsideScreen(const stream::Point& p)
    {
        return p.x >= 0 && p.x < ScreenLayout::kWidth && p.y >= 0 && p.y < ScreenLayout::kHeight;
    }

} // namespace

struct PlayStreamServer::Connection {
    int fd = -1;
    std::unique_ptr<stream::TlsChannel> tls; // TLS mode: set by the reader before the sender starts
    std::thread reader;
    std::thread sender;
    std::atomic<bool> finished { false };
    std::atomic<bool> stop { false };
    std::atomic<std::uint32_t> appliedSeq { 0 };
    std::string deviceId; // set once admitted, before the sender starts
    std::string padCode;
    std::shared_ptr<DeviceScreen> screen;
    stream::Welcome welcome;
    std::mutex sendMutex; // one writer at a time on fd
    std::mutex byeMutex;
    std::optional<stream::Refusal> bye; // set by EndStreams; the sender says it and ends

    // Under sendMutex.
    bool Write(const char* data, std::size_t size)
    {
        return tls ? tls->WriteAll(data, size, kSendLimitSeconds * 1000) : SendAll(fd, data, size);
    }
    bool Write(const std::string& bytes) { return Write(bytes.data(), bytes.size()); }
};

PlayStreamServer::PlayStreamServer(AdmitFunction admit)
    : m_admit(std::move(admit))
{
}

PlayStreamServer::~PlayStreamServer()
{
    Stop();
}

int PlayStreamServer::Listen(const std::string& host, int port, const TlsFiles& tls)
{
    if (tls.enabled()) {
        std::string error;
        m_tls = stream::TlsContext::ForService(tls.certificate, tls.key, error);
        if (!m_tls) {
            std::fprintf(stderr, "korvana-service: play stream: %s\n", error.c_str());
            return -1;
        }
    }
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr)
        return -1;
    int fd = -1;
    for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, 64) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    if (fd < 0)
        return -1;
    sockaddr_storage bound {};
    socklen_t length = sizeof bound;
    getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    const int boundPort = bound.ss_family == AF_INET6
        ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
        : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    if (pipe2(m_wakeFds, O_CLOEXEC) != 0) {
        ::close(fd);
        return -1;
    }
    m_listenFd = fd;
    m_port = boundPort;
    m_acceptor = std::thread([this] { Accept(); });
    return boundPort;
}

void PlayStreamServer::Accept()
{
    for (;;) {
        pollfd fds[2] = { { m_listenFd, POLLIN, 0 }, { m_wakeFds[0], POLLIN, 0 } };
        if (::poll(fds, 2, 1000) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        Reap(false);
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        timeval limit { kSendLimitSeconds, 0 };
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        Connection& c = *connection;
        std::lock_guard lock(m_mutex);
        m_connections.push_back(std::move(connection));
        c.reader = std::thread([this, &c] {
            Serve(c);
            c.finished = true;
        });
    }
}

void PlayStreamServer::Reap(bool all)
{
    std::list<std::unique_ptr<Connection>> done;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (all || (*it)->finished) {
                done.push_back(std::move(*it));
                it = m_connections.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& c : done) {
        if (c->reader.joinable())
            c->reader.join();
        c->tls.reset();
        ::close(c->fd);
    }
}

void PlayStreamServer::Stop()
{
    std::lock_guard stopLock(m_stopMutex);
    if (m_acceptor.joinable()) {
        const char byte = 1;
        [[maybe_unused]] ssize_t written = ::write(m_wakeFds[1], &byte, 1);
        m_acceptor.join();
    }
    {
        std::lock_guard lock(m_mutex);
        for (auto& c : m_connections) {
            c->stop = true;
            ::shutdown(c->fd, SHUT_RDWR);
        }
    }
    Reap(true);
    for (int* fd : { &m_listenFd, &m_wakeFds[0], &m_wakeFds[1] }) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void PlayStreamServer::EndStreams(const std::string& deviceId, stream::Reason reason, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    for (auto& c : m_connections) {
        if (c->finished || (!deviceId.empty() && c->deviceId != deviceId))
            continue;
        {
            std::lock_guard byeLock(c->byeMutex);
            c->bye = stream::Refusal { reason, text };
        }
        if (c->screen)
            c->screen->Wake();
        else
            ::shutdown(c->fd, SHUT_RDWR); // still in its hello
    }
}

void PlayStreamServer::DropStreams(const std::string& deviceId)
{
    std::lock_guard lock(m_mutex);
    for (auto& c : m_connections) {
        if (!c->finished && c->deviceId == deviceId)
            ::shutdown(c->fd, SHUT_RDWR);
    }
}

int PlayStreamServer::Connections() const
{
    std::lock_guard lock(m_mutex);
    int count = 0;
    for (const auto& c : m_connections)
        count += c->finished ? 0 : 1;
    return count;
}

void PlayStreamServer::Serve(Connection& c)
{
    stream::FrameReader reader;
    char buffer[16384];
    bool admitted = false;
    std::string ending; // why the connection ends, for the log; empty for a clean close
    auto refuse = [&](const stream::Refusal& refusal) {
        const std::string message = stream::EncodeRefusal(stream::Type::Refused, refusal);
        std::lock_guard lock(c.sendMutex);
        c.Write(message);
    };
    if (m_tls) {
        // On this connection's own thread, within the time a hello has: a
        // slow or silent peer holds up no other.
        stream::TlsChannel::Handshake handshake = stream::TlsChannel::Accept(*m_tls, c.fd, kHelloTimeoutMs);
        if (!handshake.channel) {
            if (!c.stop)
                std::fprintf(stderr, "korvana-service: play stream ended: %s\n", handshake.error.c_str());
            c.stop = true;
            ::shutdown(c.fd, SHUT_RDWR);
            return;
        }
        c.tls = std::move(handshake.channel);
    }
    for (bool open = true; open && !c.stop;) {
        ssize_t got = 0;
        std::string failure;
        if (c.tls) {
            got = c.tls->Read(buffer, sizeof buffer, admitted ? -1 : kHelloTimeoutMs, failure);
            if (got == stream::TlsChannel::kTimedOut) {
                ending = "no hello in time";
                break;
            }
        } else {
            if (!admitted) {
                pollfd pfd { c.fd, POLLIN, 0 };
                if (::poll(&pfd, 1, kHelloTimeoutMs) <= 0) {
                    ending = "no hello in time";
                    break;
                }
            }
            got = ::recv(c.fd, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                failure = std::strerror(errno);
        }
        if (got <= 0) {
            if (got < 0 || reader.Buffered() > 0)
                ending = got < 0 ? "read failed: " + failure : "connection cut mid-message";
            break;
        }
        reader.Feed(buffer, static_cast<std::size_t>(got));
        stream::Message message;
        std::string error;
        for (;;) {
            const auto status = reader.Next(message, error);
            if (status == stream::FrameReader::Status::NeedMore)
                break;
            if (status == stream::FrameReader::Status::Bad) {
                ending = error;
                open = false;
                break;
            }
            if (!admitted) {
                std::optional<stream::Hello> hello;
                if (message.type != stream::Type::Hello)
                    error = "the first message is not a hello";
                else
                    hello = stream::ReadHello(message.body, error);
                if (hello)
                    ++m_hellos;
                if (!hello) {
                    ending = error;
                    refuse({ stream::Reason::Protocol, error });
                    open = false;
                    break;
                }
                Admission admission = m_admit(*hello);
                if (admission.refusal) {
                    std::fprintf(stderr, "korvana-service: play stream for %s refused: %s\n",
                        hello->padCode.c_str(), admission.refusal->text.c_str());
                    refuse(*admission.refusal);
                    open = false;
                    break;
                }
                const auto [width, height] = StreamSize(hello->maxWidth, hello->maxHeight);
                c.welcome = { ScreenLayout::kWidth, ScreenLayout::kHeight, width, height, kFps };
                c.padCode = hello->padCode;
                {
                    std::lock_guard lock(m_mutex);
                    c.deviceId = admission.deviceId;
                    c.screen = admission.screen;
                }
                const std::string welcome = stream::EncodeWelcome(c.welcome);
                {
                    std::lock_guard lock(c.sendMutex);
                    c.Write(welcome);
                }
                admitted = true;
                c.sender = std::thread([this, &c] { Send(c); });
                continue;
            }
            if (message.type == stream::Type::Close) {
                open = false;
                break;
            }
            std::optional<stream::Input> input = stream::ReadInput(message.type, message.body, error);
            if (input && !std::all_of(input->path.begin(), input->path.end(), InsideScreen)) {
                input.reset();
                error = "input outside the screen";
            }
            if (!input) {
                ending = error;
                open = false;
                break;
            }
            c.screen->Apply(*input);
            c.appliedSeq = std::max(c.appliedSeq.load(), input->seq);
        }
    }
    if (!ending.empty())
        std::fprintf(stderr, "korvana-service: play stream%s%s ended: %s\n", c.padCode.empty() ? "" : " of ",
            c.padCode.c_str(), ending.c_str());
    c.stop = true;
    if (c.sender.joinable()) {
        c.screen->Wake();
        c.sender.join();
    }
    ::shutdown(c.fd, SHUT_RDWR);
}

void PlayStreamServer::Send(Connection& c)
{
    std::string error;
    std::unique_ptr<stream::VideoEncoder> encoder
        = stream::VideoEncoder::Create(c.welcome.streamWidth, c.welcome.streamHeight, kFps, error);
    if (!encoder) {
        std::fprintf(stderr, "korvana-service: play stream of %s: %s\n", c.padCode.c_str(), error.c_str());
        ::shutdown(c.fd, SHUT_RDWR);
        return;
    }
    ScreenPainter painter(c.welcome.streamWidth, c.welcome.streamHeight);
    const auto start = Clock::now();
    auto due = start; // when the next moving picture is due, on a fixed beat
    bool first = true;
    std::string unit;
    while (!c.stop) {
        {
            std::lock_guard lock(c.byeMutex);
            if (c.bye) {
                const std::string bye = stream::EncodeRefusal(stream::Type::Bye, *c.bye);
                std::lock_guard sendLock(c.sendMutex);
                c.Write(bye);
                break;
            }
        }
        const auto frameStart = Clock::now();
        const std::uint64_t seen = c.screen->Version();
        stream::VideoUnit head;
        head.inputSeq = c.appliedSeq.load();
        const ScreenSnapshot snapshot = c.screen->Take();
        head.captureUs = MicrosSinceEpoch(snapshot.wallNow);
        const QImage& picture = painter.Paint(snapshot);
        bool keyframe = false;
        const auto pts = std::chrono::duration_cast<std::chrono::milliseconds>(frameStart - start).count();
        if (!encoder->Encode(picture.constBits(), static_cast<int>(picture.bytesPerLine()), pts, first, unit,
                keyframe, error)) {
            std::fprintf(
                stderr, "korvana-service: play stream of %s: %s\n", c.padCode.c_str(), error.c_str());
            break;
        }
        first = false;
        if (!unit.empty()) {
            head.keyframe = keyframe;
            const std::string message = stream::EncodeVideoHead(head, unit.size());
            std::lock_guard lock(c.sendMutex);
            if (!c.Write(message) || !c.Write(unit))
                break;
        }
        // Moving pictures keep a steady beat whatever painting and encoding
        // took; a beat missed by far is not made up with a burst.
        due += std::chrono::duration_cast<Clock::duration>(kFrameInterval);
        if (due < frameStart)
            due = frameStart;
        c.screen->WaitForChange(seen, snapshot.animated ? due : frameStart + kStillInterval);
        // A burst of input does not push the rate past the stream's.
        const auto soonest = frameStart + kShortestInterval;
        if (Clock::now() < soonest)
            std::this_thread::sleep_until(soonest);
    }
    ::shutdown(c.fd, SHUT_RDWR);
}

} // namespace service
