#include "service/Server.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <httplib.h>
#include <mutex>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "service/Domains.h"
#include "service/Envelope.h"

namespace service {
namespace {

    constexpr const char* kControlPrefix = "/__test/";
    constexpr std::size_t kWorkerThreads = 64;
    // httplib reads a body as a form (with a small size limit) or splits it as
    // multipart by its Content-Type; hiding the header before it looks keeps the
    // raw bytes for the request log and our own decoding.
    constexpr const char* kHiddenContentType = "X-Korvana-Hidden-Content-Type";

    bool StartsWith(const std::string& s, const char* prefix)
    {
        return s.rfind(prefix, 0) == 0;
    }

    HttpRequest FromHttplib(const httplib::Request& req)
    {
        HttpRequest out;
        out.method = req.method;
        std::size_t question = req.target.find('?');
        out.path = req.target.substr(0, question);
        if (question != std::string::npos)
            out.query = req.target.substr(question + 1);
        for (const auto& [name, value] : req.headers) {
            // httplib adds the connection's addresses as headers of its own.
            if (name == "LOCAL_ADDR" || name == "LOCAL_PORT" || name == "REMOTE_ADDR"
                || name == "REMOTE_PORT")
                continue;
            out.headers.emplace_back(name == kHiddenContentType ? "Content-Type" : name, value);
        }
        out.body = req.body;
        return out;
    }

    unsigned short PortOf(const sockaddr_storage& addr)
    {
        if (addr.ss_family == AF_INET)
            return ntohs(reinterpret_cast<const sockaddr_in&>(addr).sin_port);
        if (addr.ss_family == AF_INET6)
            return ntohs(reinterpret_cast<const sockaddr_in6&>(addr).sin6_port);
        return 0;
    }

    // Shuts the socket of the request's connection, found among the process's
    // descriptors by its two ports, so the client sees the connection end
    // without any answer.
    // A scan of the descriptors and the server's stop (which closes the
    // listening socket) never overlap.
    std::mutex& DescriptorScanLock()
    {
        static std::mutex lock;
        return lock;
    }

    void DropConnection(const httplib::Request& req)
    {
        std::lock_guard scan(DescriptorScanLock());
        DIR* dir = opendir("/proc/self/fd");
        if (dir == nullptr)
            return;
        while (dirent* entry = readdir(dir)) {
            int fd = std::atoi(entry->d_name);
            struct stat st;
            if (fd <= 2 || fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode))
                continue;
            sockaddr_storage local {}, peer {};
            socklen_t localLen = sizeof local, peerLen = sizeof peer;
            if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLen) != 0
                || getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLen) != 0)
                continue;
            if (PortOf(local) == req.local_port && PortOf(peer) == req.remote_port) {
                ::shutdown(fd, SHUT_RDWR);
                break;
            }
        }
        closedir(dir);
    }

    HttpReply InjectedReply(const Fault& fault)
    {
        HttpReply reply;
        reply.status = fault.status.value_or(fault.location.empty() ? 200 : 302);
        reply.body = fault.body.value_or(FailureEnvelope("injected fault"));
        reply.contentType = fault.contentType;
        if (!fault.location.empty())
            reply.headers.emplace_back("Location", fault.location);
        reply.headers.insert(reply.headers.end(), fault.headers.begin(), fault.headers.end());
        return reply;
    }

    void WriteReply(const HttpReply& reply, httplib::Response& res, bool truncate)
    {
        res.status = reply.status;
        for (const auto& [name, value] : reply.headers)
            res.set_header(name, value);
        if (!truncate) {
            res.set_content(reply.body, reply.contentType);
            return;
        }
        auto body = std::make_shared<std::string>(reply.body);
        res.set_content_provider(
            body->size(), reply.contentType, [body](std::size_t, std::size_t, httplib::DataSink& sink) {
                sink.write(body->data(), body->size() / 2);
                return false; // ends the connection short of the length
            });
    }

} // namespace

class Server::Http {
public:
    Http(Server& owner, std::unique_ptr<httplib::Server> httpServer)
        : m_owner(owner)
        , m_serverPtr(std::move(httpServer))
    {
        httplib::Server& server = *m_serverPtr;
        server.set_payload_max_length(std::size_t { 256 } << 20);
        // A latency or a delay fault holds a worker for the whole wait: enough
        // of them that a client's overlapping requests are not queued here.
        server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
        server.set_pre_routing_handler([](const httplib::Request& req, httplib::Response&) {
            // The request object is ours until the handler returns.
            auto& request = const_cast<httplib::Request&>(req);
            auto it = request.headers.find("Content-Type");
            if (it != request.headers.end()) {
                std::string value = it->second;
                request.headers.erase(it);
                request.headers.emplace(kHiddenContentType, value);
            }
            return httplib::Server::HandlerResponse::Unhandled;
        });
        auto serve = [this](const httplib::Request& req, httplib::Response& res) { Serve(req, res); };
        server.Get(".*", serve);
        server.Post(".*", serve);
    }

    httplib::Server& server() { return *m_serverPtr; }

private:
    void Serve(const httplib::Request& req, httplib::Response& res)
    {
        HttpRequest request = FromHttplib(req);
        if (StartsWith(request.path, kControlPrefix)) {
            WriteReply(m_owner.RunControl(request), res, false);
            return;
        }
        m_owner.m_log.Add(request);
        if (const int latency = m_owner.latencyMs(); latency > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(latency));
        std::optional<Fault> fault = m_owner.m_faults.Take(request.path, request.body);
        if (fault && fault->delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(fault->delayMs));
        if (fault && fault->drop) {
            DropConnection(req);
            return;
        }
        HttpReply reply
            = fault && fault->ReplacesAnswer() ? InjectedReply(*fault) : m_owner.Dispatch(request);
        WriteReply(reply, res, fault && fault->truncate);
    }

    Server& m_owner;
    std::unique_ptr<httplib::Server> m_serverPtr;
};

void Call::Succeed(const nlohmann::ordered_json& payload)
{
    SucceedText(PayloadText(payload));
}

void Call::SucceedText(const std::string& payloadText)
{
    reply.status = 200;
    reply.body = SuccessEnvelope(payloadText);
}

void Call::Fail(const std::string& text)
{
    reply.status = 200;
    reply.body = FailureEnvelope(text);
}

void Call::AddHeader(std::string name, std::string value)
{
    reply.headers.emplace_back(std::move(name), std::move(value));
}

std::string Control::Query(std::string_view name) const
{
    Form form;
    AppendUrlEncoded(request.query, Charset::Utf8, form);
    return form.Get(name);
}

void Control::Json(const nlohmann::json& body, int status)
{
    reply.status = status;
    reply.contentType = "application/json; charset=utf-8";
    reply.body = body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

Server::Server(WorldKind kind)
    : m_startKind(kind)
    , m_world(kind)
{
    RegisterDomains(*this);
    RegisterTestControls(*this);
    std::lock_guard lock(m_world.mutex());
    m_world.Reset(kind);
}

Server::~Server()
{
    // Side listeners reach into the world; they end before it does.
    for (SideListener* listener : m_sideListeners)
        listener->Stop();
}

void Server::AddSideListener(SideListener& listener)
{
    m_sideListeners.push_back(&listener);
}

void Server::AddCall(const std::string& path, RouteOptions options, CallHandler handler)
{
    m_routes[path] = Route { options, std::move(handler) };
}

void Server::AddControl(const std::string& name, ControlHandler handler)
{
    m_controls[kControlPrefix + name] = std::move(handler);
}

HttpReply Server::Handle(const HttpRequest& request)
{
    return StartsWith(request.path, kControlPrefix) ? RunControl(request) : Dispatch(request);
}

HttpReply Server::Dispatch(const HttpRequest& request)
{
    HttpReply reply;
    auto route = m_routes.find(request.path);
    if (route == m_routes.end()) {
        reply.status = 404;
        reply.body = FailureEnvelope("接口不存在");
        return reply;
    }
    const RouteOptions& options = route->second.options;
    Form form;
    AppendUrlEncoded(request.query, options.charset, form);
    const std::string contentType = request.Header("Content-Type");
    if (contentType.rfind("multipart/form-data", 0) == 0) {
        if (!AppendMultipart(request.body, contentType, form)) {
            reply.status = 400;
            reply.body = FailureEnvelope("表单格式错误");
            return reply;
        }
    } else {
        AppendUrlEncoded(request.body, options.charset, form);
    }

    std::lock_guard lock(m_world.mutex());
    Call call { request, std::move(form), m_world, 0, {}, reply };
    if (options.session) {
        call.sessionToken = request.Cookie(Sessions::kCookieName);
        std::optional<std::int64_t> user = m_world.sessions().Find(call.sessionToken);
        if (!user) {
            call.Fail(kSessionExpired);
            return reply;
        }
        call.userId = *user;
    }
    try {
        route->second.handler(call);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvana-service: %s failed: %s\n", request.path.c_str(), e.what());
        reply = HttpReply {};
        reply.status = 500;
        reply.body = FailureEnvelope("服务内部错误");
    }
    return reply;
}

HttpReply Server::RunControl(const HttpRequest& request)
{
    HttpReply reply;
    auto control = m_controls.find(request.path);
    if (control == m_controls.end()) {
        reply.status = 404;
        reply.body = R"({"error":"no such control"})";
        return reply;
    }
    std::lock_guard lock(m_world.mutex());
    Control ctl { request, *this, reply };
    try {
        control->second(ctl);
    } catch (const std::exception& e) {
        ctl.Json({ { "error", e.what() } }, 400);
    }
    return reply;
}

int Server::Bind(const std::string& host, int port, const TlsFiles& tls, int sidePort)
{
    // A client that goes away mid-answer must not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    std::unique_ptr<httplib::Server> server;
    if (tls.enabled()) {
        auto secure = std::make_unique<httplib::SSLServer>(tls.certificate.c_str(), tls.key.c_str());
        if (!secure->is_valid())
            return -1;
        server = std::move(secure);
    } else {
        server = std::make_unique<httplib::Server>();
    }
    m_http = std::make_unique<Http>(*this, std::move(server));
    const int bound = port == 0 ? m_http->server().bind_to_any_port(host)
                                : (m_http->server().bind_to_port(host, port) ? port : -1);
    if (bound < 0)
        return -1;
    for (SideListener* listener : m_sideListeners) {
        if (listener->Listen(host, sidePort, tls) < 0)
            return -1;
    }
    return bound;
}

bool Server::Run()
{
    return m_http && m_http->server().listen_after_bind();
}

void Server::Stop()
{
    // Only the HTTP side: Run returns once its handlers have ended, and the
    // side listeners stop in the destructor after that. A handler still
    // running (a dropped connection looks through every descriptor) must not
    // meet their sockets being closed.
    std::lock_guard scan(DescriptorScanLock());
    if (m_http)
        m_http->server().stop();
}

} // namespace service
