#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <vector>

#include "service/Faults.h"
#include "service/Form.h"
#include "service/Http.h"
#include "service/RequestLog.h"
#include "service/ServiceOptions.h"
#include "service/World.h"

namespace service {

class Server;

// How a call route reads its request.
struct RouteOptions {
    // A session call: without a valid session cookie the answer is the
    // failure envelope "-1000" and the handler does not run.
    bool session = false;
    // How the form values are read after percent-decoding.
    Charset charset = Charset::Cp936;
};

// What a call handler gets. The world lock is held while it runs.
struct Call {
    const HttpRequest& request;
    Form form; // query fields, then body fields (url-encoded or multipart)
    World& world;
    std::int64_t userId = 0; // the signed-in user of a session call
    std::string sessionToken;
    HttpReply& reply;

    std::string Param(std::string_view name) const { return form.Get(name); }
    // Answer with the envelope: success with the payload (see PayloadText),
    // or failure with a text for the user.
    void Succeed(const nlohmann::ordered_json& payload);
    void SucceedText(const std::string& payloadText);
    void Fail(const std::string& text);
    void AddHeader(std::string name, std::string value);
};
using CallHandler = std::function<void(Call&)>;

// What a test control handler gets; also under the world lock. Controls are
// neither logged nor subject to faults.
struct Control {
    const HttpRequest& request;
    Server& server;
    HttpReply& reply;

    // The query parameter (UTF-8), or empty.
    std::string Query(std::string_view name) const;
    void Json(const nlohmann::json& body, int status = 200);
};
using ControlHandler = std::function<void(Control&)>;

// A listener of a domain beside the HTTP one (device control's play
// stream): bound to the same host when the server binds, stopped with it,
// and speaking TLS with the same certificate when the server does.
class SideListener {
public:
    virtual ~SideListener() = default;
    // The bound port (a free one for 0), or -1.
    virtual int Listen(const std::string& host, int port, const TlsFiles& tls) = 0;
    virtual void Stop() = 0;
};

// korvana-service: every call path of the client on an HTTP server with a
// thread per connection, over one in-memory World. Domains add their calls
// with AddCall from their Register...() function (see Domains.cpp).
class Server {
public:
    explicit Server(WorldKind kind);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Registers a call at an exact path (any method; GET calls read the query).
    void AddCall(const std::string& path, RouteOptions options, CallHandler handler);
    // Registers a test control at "/__test/" + name.
    void AddControl(const std::string& name, ControlHandler handler);
    // Registers a side listener (owned by its domain, which outlives Stop).
    void AddSideListener(SideListener& listener);

    World& world() { return m_world; }
    RequestLog& requestLog() { return m_log; }
    FaultTable& faults() { return m_faults; }
    // Every service path answers this many milliseconds late (test
    // controls do not); 0 is off. Safe from any thread.
    void setLatencyMs(int ms) { m_latencyMs.store(ms < 0 ? 0 : ms); }
    int latencyMs() const { return m_latencyMs.load(); }
    // The latency of the command line, which a reset returns to.
    void setStartLatencyMs(int ms)
    {
        m_startLatencyMs = ms < 0 ? 0 : ms;
        setLatencyMs(ms);
    }
    int startLatencyMs() const { return m_startLatencyMs; }
    WorldKind startKind() const { return m_startKind; }

    // Answers one request as the HTTP side does, minus logging and faults
    // (for tests of handlers without sockets).
    HttpReply Handle(const HttpRequest& request);

    // Binds and listens; returns the port (a free one when `port` is 0), or
    // -1 when the address cannot be bound or the TLS files are unusable.
    // With TLS files the port speaks TLS only. The side listeners bind to
    // the same host on `sidePort` (0: a free one each).
    int Bind(const std::string& host, int port, const TlsFiles& tls = {}, int sidePort = 0);
    // Serves until Stop (from another thread).
    bool Run();
    void Stop();

private:
    struct Route {
        RouteOptions options;
        CallHandler handler;
    };
    class Http;

    HttpReply Dispatch(const HttpRequest& request);
    HttpReply RunControl(const HttpRequest& request);

    WorldKind m_startKind;
    World m_world;
    RequestLog m_log;
    FaultTable m_faults;
    std::atomic<int> m_latencyMs { 0 };
    int m_startLatencyMs = 0;
    std::map<std::string, Route> m_routes;
    std::map<std::string, ControlHandler> m_controls;
    std::vector<SideListener*> m_sideListeners;
    std::unique_ptr<Http> m_http;
};

} // namespace service
