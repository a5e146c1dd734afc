#pragma once

#include <string>
#include <utility>
#include <vector>

namespace service {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// A request as it arrived: the path and query as sent (not decoded), the
// headers, the raw body bytes.
struct HttpRequest {
    std::string method;
    std::string path;
    std::string query;
    HeaderList headers;
    std::string body;

    // The first header of that name (case-insensitive), or empty.
    std::string Header(const std::string& name) const;
    // The value of one cookie of the Cookie header, or empty.
    std::string Cookie(const std::string& name) const;
};

struct HttpReply {
    int status = 200;
    std::string contentType = "application/json; charset=utf-8";
    std::string body;
    HeaderList headers;
};

} // namespace service
