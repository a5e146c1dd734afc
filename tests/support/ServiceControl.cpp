#include "tests/support/ServiceControl.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <strings.h>

#include "service/Base64.h"

namespace korvana::test {
namespace {

    std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* out)
    {
        static_cast<std::string*>(out)->append(data, size * count);
        return size * count;
    }

    std::size_t AppendHeader(char* data, std::size_t size, std::size_t count, void* out)
    {
        std::string line(data, size * count);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        if (!line.empty())
            static_cast<std::vector<std::string>*>(out)->push_back(line);
        return size * count;
    }

} // namespace

std::string LoggedRequest::Header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return value;
    }
    return {};
}

std::string RawResponse::Header(const std::string& name) const
{
    for (const std::string& line : headers) {
        std::size_t colon = line.find(':');
        if (colon == name.size() && strncasecmp(line.c_str(), name.c_str(), colon) == 0)
            return line.substr(line.find_first_not_of(' ', colon + 1));
    }
    return {};
}

ServiceControl::ServiceControl(std::string baseUrl, std::string caFile, bool verifyTls)
    : m_base(std::move(baseUrl))
    , m_caFile(std::move(caFile))
    , m_verifyTls(verifyTls)
{
}

RawResponse ServiceControl::Perform(const std::string& method, const std::string& path,
    const std::string* body, const std::string& cookie, const std::vector<std::string>& headers)
{
    RawResponse response;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        response.curlCode = CURLE_FAILED_INIT;
        return response;
    }
    std::string url = m_base + path;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    if (!m_caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, m_caFile.c_str());
    if (!m_verifyTls) {
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &AppendHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &response.headers);
    if (!cookie.empty())
        curl_easy_setopt(curl, CURLOPT_COOKIE, cookie.c_str());
    if (method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body->data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
    }
    struct curl_slist* list = nullptr;
    for (const std::string& h : headers)
        list = curl_slist_append(list, h.c_str());
    if (list != nullptr)
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    response.curlCode = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    curl_slist_free_all(list);
    curl_easy_cleanup(curl);
    return response;
}

RawResponse ServiceControl::Get(const std::string& pathAndQuery, const std::string& cookie)
{
    return Perform("GET", pathAndQuery, nullptr, cookie, {});
}

RawResponse ServiceControl::Post(const std::string& path, const std::string& body, const std::string& cookie,
    const std::vector<std::string>& headers)
{
    return Perform("POST", path, &body, cookie, headers);
}

nlohmann::json ServiceControl::Control(const std::string& name, const std::string& body, bool post)
{
    RawResponse r = post ? Post("/__test/" + name, body) : Get("/__test/" + name);
    if (r.curlCode != 0 || r.status != 200) {
        ADD_FAILURE() << "control " << name << " failed: curl " << r.curlCode << ", status " << r.status
                      << ", " << r.body;
        return nlohmann::json::object();
    }
    nlohmann::json answer = nlohmann::json::parse(r.body, nullptr, false);
    if (answer.is_discarded())
        ADD_FAILURE() << "control " << name << " answered no JSON: " << r.body;
    return answer;
}

void ServiceControl::Reset(const std::string& world)
{
    Control(world.empty() ? "reset" : "reset?world=" + world, "", true);
}

void ServiceControl::InjectFault(const nlohmann::json& setup)
{
    Control("fault", setup.dump(), true);
}

void ServiceControl::ClearFaults()
{
    Control("faults/clear", "", true);
}

void ServiceControl::SetLatency(int ms)
{
    Control("latency?ms=" + std::to_string(ms), "", true);
}

std::vector<LoggedRequest> ServiceControl::RequestLog()
{
    std::vector<LoggedRequest> out;
    nlohmann::json log = Control("log", "", false);
    if (!log.contains("requests"))
        return out;
    for (const nlohmann::json& entry : log["requests"]) {
        LoggedRequest r;
        r.method = entry.value("method", "");
        r.path = service::Base64Decode(entry.value("path_base64", "")).value_or("<bad base64>");
        r.query = service::Base64Decode(entry.value("query_base64", "")).value_or("<bad base64>");
        for (const nlohmann::json& h : entry["headers"])
            r.headers.emplace_back(h[0].get<std::string>(), h[1].get<std::string>());
        r.body = service::Base64Decode(entry.value("body_base64", "")).value_or("<bad base64>");
        out.push_back(std::move(r));
    }
    return out;
}

std::vector<LoggedRequest> ServiceControl::RequestsTo(const std::string& path)
{
    std::vector<LoggedRequest> out;
    for (LoggedRequest& r : RequestLog()) {
        if (r.path == path)
            out.push_back(std::move(r));
    }
    return out;
}

void ServiceControl::ClearLog()
{
    Control("log/clear", "", true);
}

nlohmann::json ServiceControl::Sessions()
{
    return Control("sessions", "", false).value("sessions", nlohmann::json::array());
}

} // namespace korvana::test
