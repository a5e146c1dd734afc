#pragma once

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace korvana::test {

// Page 1 of a load goes alone; the pages after it overlap and reach the
// service in any order: each load's later pages are compared sorted (by page
// number), page 1 where it was.
inline std::vector<std::string> InLoadOrder(std::vector<std::string> bodies)
{
    auto pageOf = [](const std::string& body) {
        const std::size_t at = body.rfind("page_index=");
        return at == std::string::npos ? 0 : std::atoi(body.c_str() + at + 11);
    };
    std::size_t start = 0;
    while (start < bodies.size()) {
        std::size_t end = start + 1;
        while (end < bodies.size() && pageOf(bodies[end]) != 1)
            ++end;
        std::sort(bodies.begin() + static_cast<long>(start) + 1, bodies.begin() + static_cast<long>(end),
            [&](const std::string& a, const std::string& b) { return pageOf(a) < pageOf(b); });
        start = end;
    }
    return bodies;
}

} // namespace korvana::test
