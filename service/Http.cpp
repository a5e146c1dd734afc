#include "service/Http.h"

#include <strings.h>

namespace service {

std::string HttpRequest::Header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0)
            return value;
    }
    return {};
}

std::string HttpRequest::Cookie(const std::string& name) const
{
    const std::string cookies = Header("Cookie");
    std::size_t pos = 0;
    while (pos < cookies.size()) {
        std::size_t end = cookies.find(';', pos);
        if (end == std::string::npos)
            end = cookies.size();
        std::size_t start = cookies.find_first_not_of(' ', pos);
        std::size_t eq = cookies.find('=', start);
        if (start < end && eq < end && cookies.compare(start, eq - start, name) == 0)
            return cookies.substr(eq + 1, end - eq - 1);
        pos = end + 1;
    }
    return {};
}

} // namespace service
