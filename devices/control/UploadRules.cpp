#include "devices/control/UploadRules.h"

#include <regex>

bool IsAcceptedUploadName(const std::wstring& name)
{
    // Compiled once; std::regex is safe for concurrent matching.
    static const std::wregex rule(
        L"^[0-9a-zA-Z()\\[\\]@\u4e00-\u9fa5\uf900-\ufa2d_.-]{1,50}$", std::regex_constants::ECMAScript);
    return std::regex_match(name, rule);
}

std::wstring UploadFileName(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"/\\");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}
