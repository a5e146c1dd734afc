#include <nlohmann/json.hpp>
#include <stdexcept>

#include "service/Base64.h"
#include "service/Domains.h"
#include "service/Server.h"

// The controls tests use to steer the service; docs/service.md lists them.
namespace service {
namespace {

    using nlohmann::json;

    // Ready-made answer bodies for the usual bad-input cases.
    std::optional<std::string> PresetBody(const std::string& kind)
    {
        if (kind == "not_json")
            return std::string("<html><body>502 Bad Gateway</body></html>");
        if (kind == "wrong_types")
            return std::string(R"({"status":"true","message":{"data":[1,2,3]}})");
        if (kind == "empty")
            return std::string();
        throw std::invalid_argument("unknown fault kind: " + kind);
    }

    Fault ParseFault(const json& setup)
    {
        Fault fault;
        fault.delayMs = setup.value("delay_ms", 0);
        fault.drop = setup.value("drop", false);
        fault.truncate = setup.value("truncate", false);
        if (setup.contains("status"))
            fault.status = setup.at("status").get<int>();
        if (setup.contains("kind"))
            fault.body = PresetBody(setup.at("kind").get<std::string>());
        if (setup.contains("body"))
            fault.body = setup.at("body").get<std::string>();
        if (setup.contains("body_base64")) {
            fault.body = Base64Decode(setup.at("body_base64").get<std::string>());
            if (!fault.body)
                throw std::invalid_argument("body_base64 is not Base64");
        }
        fault.contentType = setup.value("content_type", fault.contentType);
        fault.location = setup.value("location", std::string());
        if (setup.contains("headers")) {
            const json& headers = setup.at("headers");
            if (headers.is_object()) {
                for (const auto& [name, value] : headers.items())
                    fault.headers.emplace_back(name, value.get<std::string>());
            } else {
                for (const json& header : headers)
                    fault.headers.emplace_back(
                        header.at(0).get<std::string>(), header.at(1).get<std::string>());
            }
        }
        if (setup.contains("for_body"))
            fault.forBody = setup.at("for_body").get<std::string>();
        fault.times = setup.value("times", -1);
        if (fault.times == 0)
            fault.times = -1;
        return fault;
    }

    json EntryJson(const RequestLog::Entry& entry)
    {
        const HttpRequest& r = entry.request;
        json headers = json::array();
        for (const auto& [name, value] : r.headers)
            headers.push_back({ name, value });
        // Path and query may hold bytes that are no UTF-8 (a GET value goes out
        // in code page 936), so their exact bytes come in Base64 as well.
        return { { "sequence", entry.sequence }, { "method", r.method }, { "path", r.path },
            { "path_base64", Base64Encode(r.path) }, { "query", r.query },
            { "query_base64", Base64Encode(r.query) }, { "headers", headers },
            { "body_base64", Base64Encode(r.body) }, { "body_size", r.body.size() } };
    }

} // namespace

void RegisterTestControls(Server& server)
{
    server.AddControl("ping", [](Control& c) { c.Json({ { "ok", true } }); });

    // ?world=demo|empty (default: the world the service started with).
    server.AddControl("reset", [](Control& c) {
        WorldKind kind = c.server.startKind();
        if (std::string name = c.Query("world"); !name.empty()) {
            std::optional<WorldKind> parsed = ParseWorldKind(name);
            if (!parsed)
                throw std::invalid_argument("unknown world: " + name);
            kind = *parsed;
        }
        c.server.world().Reset(kind);
        c.server.faults().Clear();
        c.server.setLatencyMs(c.server.startLatencyMs());
        c.server.requestLog().Clear();
        c.Json({ { "world", WorldKindName(kind) } });
    });

    // Body: {"path": "/api/...", "status": 404, "body": "...", "body_base64":
    // "...", "kind": "not_json|wrong_types|empty", "content_type": "...",
    // "location": "...", "headers": {"Set-Cookie": "a=b"} (or [[name, value]]),
    // "delay_ms": 0,
    // "drop": false, "truncate": false, "times": -1}
    server.AddControl("fault", [](Control& c) {
        json setup = json::parse(c.request.body);
        std::string path = setup.at("path").get<std::string>();
        c.server.faults().Set(path, ParseFault(setup));
        c.Json({ { "path", path } });
    });
    server.AddControl("faults/clear", [](Control& c) {
        c.server.faults().Clear();
        c.Json({ { "ok", true } });
    });

    // ?ms=N: every service path answers N ms late from now on (0: off);
    // without ms it only reports the value.
    server.AddControl("latency", [](Control& c) {
        if (std::string ms = c.Query("ms"); !ms.empty()) {
            std::size_t used = 0;
            const int value = std::stoi(ms, &used);
            if (used != ms.size() || value < 0 || value > 600000)
                throw std::invalid_argument("ms is a number from 0 to 600000");
            c.server.setLatencyMs(value);
        }
        c.Json({ { "latency_ms", c.server.latencyMs() } });
    });

    server.AddControl("log", [](Control& c) {
        json requests = json::array();
        for (const RequestLog::Entry& entry : c.server.requestLog().Entries())
            requests.push_back(EntryJson(entry));
        c.Json({ { "requests", requests } });
    });
    server.AddControl("log/clear", [](Control& c) {
        c.server.requestLog().Clear();
        c.Json({ { "ok", true } });
    });

    server.AddControl("sessions", [](Control& c) {
        json sessions = json::array();
        for (const auto& [token, user] : c.server.world().sessions().All())
            sessions.push_back({ { "token", token }, { "user_id", user } });
        c.Json({ { "sessions", sessions } });
    });
}

} // namespace service
