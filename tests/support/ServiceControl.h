#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

namespace korvana::test {

// One request as korvana-service logged it: the bytes the client sent.
struct LoggedRequest {
    std::string method;
    std::string path; // as sent, not decoded
    std::string query; // as sent, without "?"
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body; // raw bytes

    // The first header of that name (case-insensitive), or empty.
    std::string Header(const std::string& name) const;
};

struct RawResponse {
    int curlCode = 0; // libcurl result; 0 when an answer came
    long status = 0;
    std::string body;
    std::vector<std::string> headers; // "Name: value" lines

    std::string Header(const std::string& name) const; // value of the first one, or empty
};

// Talks to a running korvana-service with bare libcurl (not the client's
// transport, which tests examine): the /__test/ controls and raw requests.
// Every control failure fails the current test (ADD_FAILURE).
class ServiceControl {
public:
    // `caFile`: the CA that signed a TLS service's certificate; tests of
    // certificates the client must refuse reach their service unverified.
    explicit ServiceControl(std::string baseUrl, std::string caFile = "", bool verifyTls = true);

    // New world ("demo", "empty"; empty text: the start world), no faults,
    // empty request log.
    void Reset(const std::string& world = "");
    // The fault as /__test/fault takes it, e.g. {{"path", "/api/..."}, {"status", 404}}.
    void InjectFault(const nlohmann::json& setup);
    void ClearFaults();
    // Every service path answers `ms` late from now on (0: at once).
    void SetLatency(int ms);
    std::vector<LoggedRequest> RequestLog();
    // The logged requests to one path.
    std::vector<LoggedRequest> RequestsTo(const std::string& path);
    void ClearLog();
    nlohmann::json Sessions();

    RawResponse Get(const std::string& pathAndQuery, const std::string& cookie = "");
    RawResponse Post(const std::string& path, const std::string& body, const std::string& cookie = "",
        const std::vector<std::string>& headers = {});

private:
    RawResponse Perform(const std::string& method, const std::string& path, const std::string* body,
        const std::string& cookie, const std::vector<std::string>& headers);
    nlohmann::json Control(const std::string& name, const std::string& body, bool post);

    std::string m_base;
    std::string m_caFile;
    bool m_verifyTls = true;
};

} // namespace korvana::test
