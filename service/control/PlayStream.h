#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "service/Server.h"
#include "service/control/DeviceScreen.h"
#include "stream/StreamProtocol.h"
#include "stream/TlsChannel.h"

namespace service {

// The owner's answer to a hello: a refusal, or the device screen to stream.
struct Admission {
    std::optional<stream::Refusal> refusal;
    std::string deviceId;
    std::shared_ptr<DeviceScreen> screen;
};
using AdmitFunction = std::function<Admission(const stream::Hello&)>;

// The play stream's TCP side: one listener, and per connection a reader
// thread (hello, then input events) and a sender thread (paint, encode,
// send) that runs only while the player is connected. Bad input ends the
// connection with a log line. With the service's certificate the listener
// speaks TLS only; the reader makes the handshake before the hello.
class PlayStreamServer : public SideListener {
public:
    static constexpr int kFps = 30;

    explicit PlayStreamServer(AdmitFunction admit);
    ~PlayStreamServer() override;
    PlayStreamServer(const PlayStreamServer&) = delete;
    PlayStreamServer& operator=(const PlayStreamServer&) = delete;

    // Binds and starts accepting; the port (a free one for 0), or -1 (also
    // for TLS files that cannot be used).
    int Listen(const std::string& host, int port, const TlsFiles& tls) override;
    int port() const { return m_port.load(); }
    // Ends every connection and the listener; waits for their threads.
    void Stop() override;
    // Cuts every connection of one device at once, without a word (a
    // dropped network, for tests).
    void DropStreams(const std::string& deviceId);
    // Ends the streams of one device (every device for an empty id) with a
    // Bye of that reason. Does not wait, so it may run under the world lock.
    void EndStreams(const std::string& deviceId, stream::Reason reason, const std::string& text);
    int Connections() const;
    // How many hellos were read (admitted or not), for tests that check
    // what reached the service.
    int Hellos() const { return m_hellos.load(); }

private:
    struct Connection;
    void Accept();
    void Serve(Connection& connection);
    void Send(Connection& connection);
    void Reap(bool all);

    AdmitFunction m_admit;
    std::mutex m_stopMutex;
    std::atomic<int> m_port { -1 };
    std::atomic<int> m_hellos { 0 };
    std::unique_ptr<stream::TlsContext> m_tls; // set before the acceptor starts
    int m_listenFd = -1;
    int m_wakeFds[2] = { -1, -1 };
    std::thread m_acceptor;
    mutable std::mutex m_mutex;
    std::list<std::unique_ptr<Connection>> m_connections;
};

} // namespace service
