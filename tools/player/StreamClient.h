#pragma once

#include <QImage>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "stream/StreamProtocol.h"
#include "stream/TlsChannel.h"

// Where one device's play stream is: the play address, the device's pad
// code, the session and the user; the largest picture wanted (0: the
// device's own size); and whether it goes inside TLS (a client built for
// https), with the service's certificate verified against caFile or, when
// that is empty, the system's store.
struct StreamTarget {
    std::string host;
    std::string port;
    std::string padCode;
    std::string session;
    std::string user;
    int maxWidth = 0;
    int maxHeight = 0;
    bool tls = false;
    std::string caFile {};
};

// One decoded picture, converted to the size the screen asked for.
struct StreamPicture {
    QImage image;
    std::uint64_t captureUs = 0; // the service's capture time
    std::uint32_t inputSeq = 0; // the last input it shows
    double decodeMs = 0; // decoding and conversion
    std::size_t unitBytes = 0;
};

// The player's side of the play stream, on a worker thread of its own:
// connects, says hello, decodes the video and hands each picture over;
// reconnects with a growing pause when the connection drops. Inputs are
// sent from any thread. Over TLS, a certificate that does not verify is a
// lasting refusal: the session never goes to that peer.
class StreamClient {
public:
    enum class State { Connecting, Streaming, Reconnecting, Refused };
    struct Events {
        // Called on the worker thread.
        std::function<void(State state, const std::string& text)> state;
        std::function<void(const stream::Welcome& welcome)> welcome;
        std::function<void(StreamPicture picture)> picture;
    };

    StreamClient(StreamTarget target, Events events);
    ~StreamClient();
    StreamClient(const StreamClient&) = delete;
    StreamClient& operator=(const StreamClient&) = delete;

    void Start();
    // Says goodbye to the service and ends the worker.
    void Stop();
    // Sends an input event (device pixels); its sequence number, or 0 when
    // not connected.
    std::uint32_t Send(stream::Input input);
    // The size pictures are converted to (0 x 0: as sent).
    void SetPictureSize(int width, int height);

private:
    void Run();
    // One connection, from connect to its end; true once it streamed.
    bool Session();
    bool Connect(std::string& error);
    // TLS mode: the handshake on the connected socket; false with the reason.
    bool Secure(std::string& error);
    // Under m_mutex.
    bool Write(const std::string& bytes, int limitMs);
    void Close();
    bool Sleep(std::chrono::milliseconds pause);
    void Report(State state, const std::string& text);

    const StreamTarget m_target;
    const Events m_events;
    std::thread m_worker;
    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_permanent { false }; // refused for good: no more tries
    std::atomic<int> m_wantWidth { 0 };
    std::atomic<int> m_wantHeight { 0 };
    std::unique_ptr<stream::TlsContext> m_tlsContext; // worker only
    std::mutex m_mutex; // the socket, its TLS channel and the sequence counter
    std::condition_variable m_wake;
    std::string m_ending; // why the last connection ended (worker only)
    int m_fd = -1;
    std::unique_ptr<stream::TlsChannel> m_tls;
    bool m_welcomed = false;
    std::uint32_t m_seq = 0;
};
