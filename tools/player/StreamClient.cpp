#include "StreamClient.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "stream/SocketSend.h"
#include "stream/VideoDecoder.h"

namespace {

using stream::SendAll;

using Clock = std::chrono::steady_clock;
constexpr auto kFirstPause = std::chrono::milliseconds(250);
constexpr auto kLongestPause = std::chrono::milliseconds(4000);
constexpr int kConnectLimitMs = 3000;
constexpr int kPollSliceMs = 100;
constexpr int kSendLimitMs = 1000;
constexpr int kCloseLimitMs = 200;
const char* const kUntrustedText = "播放流的证书未通过验证，未连接设备";

// libswscale writes whole blocks of pixels, past the end of a row whose
// width is not a multiple of its block: rows get room for that, and one
// row more.
QImage PaddedImage(int width, int height)
{
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192)
        return {};
    const qsizetype stride = ((width + 63) / 64) * 64 * 4;
    auto* bytes = static_cast<uchar*>(std::malloc(static_cast<std::size_t>(stride * (height + 2))));
    if (bytes == nullptr)
        return {};
    return QImage(
        bytes, width, height, stride, QImage::Format_RGB32, [](void* p) { std::free(p); }, bytes);
}

} // namespace

StreamClient::StreamClient(StreamTarget target, Events events)
    : m_target(std::move(target))
    , m_events(std::move(events))
{
}

StreamClient::~StreamClient()
{
    Stop();
}

void StreamClient::Start()
{
    if (!m_worker.joinable())
        m_worker = std::thread([this] { Run(); });
}

void StreamClient::Stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        if (m_fd >= 0) {
            if (m_welcomed) {
                // A clean close: the service ends the stream at once.
                if (!m_tls) {
                    timeval limit { 0, kCloseLimitMs * 1000 };
                    setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
                }
                Write(stream::EncodeClose(), kCloseLimitMs);
            }
            ::shutdown(m_fd, SHUT_RDWR);
        }
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void StreamClient::SetPictureSize(int width, int height)
{
    m_wantWidth = std::max(0, width);
    m_wantHeight = std::max(0, height);
}

std::uint32_t StreamClient::Send(stream::Input input)
{
    std::lock_guard lock(m_mutex);
    if (m_fd < 0 || !m_welcomed)
        return 0;
    input.seq = ++m_seq;
    if (!Write(stream::EncodeInput(input), kSendLimitMs)) {
        ::shutdown(m_fd, SHUT_RDWR); // the reader sees the end and reconnects
        return 0;
    }
    return input.seq;
}

bool StreamClient::Write(const std::string& bytes, int limitMs)
{
    // A plain socket has its limit as SO_SNDTIMEO.
    return m_tls ? m_tls->WriteAll(bytes, limitMs) : SendAll(m_fd, bytes);
}

void StreamClient::Report(State state, const std::string& text)
{
    if (m_events.state)
        m_events.state(state, text);
}

bool StreamClient::Sleep(std::chrono::milliseconds pause)
{
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, pause, [this] { return m_stop.load(); });
}

void StreamClient::Run()
{
    auto pause = kFirstPause;
    Report(State::Connecting, {});
    while (!m_stop) {
        const bool streamed = Session();
        if (m_stop || m_permanent)
            break;
        if (streamed)
            pause = kFirstPause;
        Report(State::Reconnecting, m_ending);
        if (!Sleep(pause))
            break;
        pause = std::min(pause * 2, kLongestPause);
    }
}

bool StreamClient::Connect(std::string& error)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int rc = getaddrinfo(m_target.host.c_str(), m_target.port.c_str(), &hints, &found); rc != 0) {
        error = std::string("address not usable: ") + gai_strerror(rc);
        return false;
    }
    int fd = -1;
    for (addrinfo* a = found; a != nullptr && fd < 0 && !m_stop; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0)
            continue;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) {
            error = std::string("connect: ") + std::strerror(errno);
            ::close(fd);
            fd = -1;
            continue;
        }
        // Wait in slices, so a stop is not held up by a slow network.
        int waited = 0;
        bool connected = false;
        while (!m_stop && waited < kConnectLimitMs) {
            pollfd pfd { fd, POLLOUT, 0 };
            if (::poll(&pfd, 1, kPollSliceMs) > 0) {
                int problem = 0;
                socklen_t length = sizeof problem;
                getsockopt(fd, SOL_SOCKET, SO_ERROR, &problem, &length);
                connected = problem == 0;
                if (!connected)
                    error = std::string("connect: ") + std::strerror(problem);
                break;
            }
            waited += kPollSliceMs;
        }
        if (!connected) {
            if (waited >= kConnectLimitMs)
                error = "connect: no answer";
            ::close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    if (fd < 0)
        return false;
    // TLS stays non-blocking: its reads and writes wait with poll.
    if (!m_target.tls)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    timeval limit { kSendLimitMs / 1000, 0 };
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    std::lock_guard lock(m_mutex);
    if (m_stop) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_welcomed = false;
    return true;
}

bool StreamClient::Secure(std::string& error)
{
    if (!m_tlsContext) {
        m_tlsContext = stream::TlsContext::ForPlayer(m_target.caFile, error);
        if (!m_tlsContext) {
            // Nothing to verify the service with is as bad as a failed check.
            m_permanent = true;
            Report(State::Refused, kUntrustedText);
            return false;
        }
    }
    int fd = -1;
    {
        std::lock_guard lock(m_mutex);
        fd = m_fd;
    }
    // Stop wakes the handshake by shutting the socket down.
    stream::TlsChannel::Handshake handshake
        = stream::TlsChannel::Connect(*m_tlsContext, fd, m_target.host, kConnectLimitMs);
    if (!handshake.channel) {
        error = handshake.error;
        if (handshake.untrusted && !m_stop) {
            m_permanent = true;
            Report(State::Refused, kUntrustedText);
        }
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_tls = std::move(handshake.channel);
    return true;
}

void StreamClient::Close()
{
    std::lock_guard lock(m_mutex);
    m_tls.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_welcomed = false;
}

bool StreamClient::Session()
{
    std::string error;
    m_ending.clear();
    if (!Connect(error)) {
        if (!m_stop)
            std::fprintf(stderr, "ZorIzoriz: %s: %s\n", m_target.padCode.c_str(), error.c_str());
        return false;
    }
    // The session goes only to a peer whose certificate verified.
    if (m_target.tls && !Secure(error)) {
        if (!m_stop)
            std::fprintf(stderr, "ZorIzoriz: %s: %s\n", m_target.padCode.c_str(), error.c_str());
        Close();
        return false;
    }
    stream::Hello hello;
    hello.session = m_target.session;
    hello.padCode = m_target.padCode;
    hello.user = m_target.user;
    hello.maxWidth = m_target.maxWidth;
    hello.maxHeight = m_target.maxHeight;
    int fd = -1;
    stream::TlsChannel* tls = nullptr; // lives until Close, which only this thread calls
    {
        std::lock_guard lock(m_mutex);
        fd = m_fd;
        tls = m_tls.get();
    }
    const std::string helloBytes = stream::EncodeHello(hello);
    if (!(tls ? tls->WriteAll(helloBytes, kSendLimitMs) : SendAll(fd, helloBytes))) {
        Close();
        return false;
    }
    std::unique_ptr<stream::VideoDecoder> decoder = stream::VideoDecoder::Create(error);
    if (!decoder) {
        std::fprintf(stderr, "ZorIzoriz: %s\n", error.c_str());
        m_permanent = true;
        Report(State::Refused, "无法解码视频：" + error);
        Close();
        return false;
    }
    stream::FrameReader reader;
    bool welcomed = false;
    bool streamed = false;
    std::string ending;
    char buffer[65536];
    for (bool open = true; open && !m_stop;) {
        ssize_t got = 0;
        std::string failure;
        if (tls) {
            got = tls->Read(buffer, sizeof buffer, -1, failure);
        } else {
            got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                failure = std::strerror(errno);
        }
        if (got <= 0) {
            if (!m_stop)
                ending = got < 0 ? "read failed: " + failure : "the service closed the stream";
            break;
        }
        reader.Feed(buffer, static_cast<std::size_t>(got));
        stream::Message message;
        for (;;) {
            const auto status = reader.Next(message, error);
            if (status == stream::FrameReader::Status::NeedMore)
                break;
            if (status == stream::FrameReader::Status::Bad) {
                ending = "bad stream: " + error;
                open = false;
                break;
            }
            if (message.type == stream::Type::Refused || message.type == stream::Type::Bye) {
                std::optional<stream::Refusal> refusal = stream::ReadRefusal(message.body, error);
                if (!refusal) {
                    ending = "bad stream: " + error;
                } else {
                    ending = refusal->text;
                    m_ending = refusal->text; // the service's words for the user
                    const bool lasting = message.type == stream::Type::Refused
                        && (refusal->reason == stream::Reason::Session
                            || refusal->reason == stream::Reason::Device);
                    if (lasting) {
                        m_permanent = true;
                        Report(State::Refused, refusal->text);
                    }
                }
                open = false;
                break;
            }
            if (!welcomed) {
                std::optional<stream::Welcome> welcome;
                if (message.type == stream::Type::Welcome)
                    welcome = stream::ReadWelcome(message.body, error);
                else
                    error = "the stream does not begin with a welcome";
                if (!welcome) {
                    ending = "bad stream: " + error;
                    open = false;
                    break;
                }
                welcomed = true;
                {
                    std::lock_guard lock(m_mutex);
                    m_welcomed = true;
                    m_seq = 0;
                }
                if (m_events.welcome)
                    m_events.welcome(*welcome);
                continue;
            }
            if (message.type != stream::Type::Video) {
                ending
                    = "bad stream: unexpected message type " + std::to_string(static_cast<int>(message.type));
                open = false;
                break;
            }
            std::optional<stream::VideoUnit> unit = stream::ReadVideo(message.body, error);
            if (!unit) {
                ending = "bad stream: " + error;
                open = false;
                break;
            }
            const auto started = Clock::now();
            const auto result = decoder->Decode(unit->data, error);
            if (result == stream::VideoDecoder::Result::Error) {
                // A broken unit spoils the pictures up to the next key frame
                // only; the stream goes on.
                std::fprintf(stderr, "ZorIzoriz: %s: %s\n", m_target.padCode.c_str(), error.c_str());
                continue;
            }
            if (result != stream::VideoDecoder::Result::Picture)
                continue;
            int width = m_wantWidth.load();
            int height = m_wantHeight.load();
            if (width <= 0 || height <= 0) {
                width = decoder->width();
                height = decoder->height();
            }
            StreamPicture picture;
            picture.image = PaddedImage(width, height);
            if (picture.image.isNull()
                || !decoder->Convert(
                    picture.image.bits(), static_cast<int>(picture.image.bytesPerLine()), width, height))
                continue;
            picture.decodeMs = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
            picture.captureUs = unit->captureUs;
            picture.inputSeq = unit->inputSeq;
            picture.unitBytes = unit->data.size();
            if (!streamed) {
                streamed = true;
                Report(State::Streaming, {});
            }
            if (m_events.picture)
                m_events.picture(std::move(picture));
        }
    }
    if (!ending.empty())
        std::fprintf(
            stderr, "ZorIzoriz: %s: connection ended: %s\n", m_target.padCode.c_str(), ending.c_str());
    Close();
    return streamed;
}
