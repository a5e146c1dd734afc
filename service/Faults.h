#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "service/Http.h"

namespace service {

// A fault injected for one path: the next requests to it (all, or `times`)
// get this instead of the call's own answer.
struct Fault {
    int delayMs = 0; // wait first; alone, the call then answers as usual
    bool drop = false; // close the connection without an answer
    bool truncate = false; // send the headers and half the body, then close
    std::optional<int> status; // answer with this status
    std::optional<std::string> body; // answer with these bytes
    std::string contentType = "application/json; charset=utf-8";
    std::string location; // a Location header (redirects)
    HeaderList headers; // further headers of the answer (Set-Cookie, ...)
    int times = -1; // how many requests; -1 until cleared
    std::optional<std::string> forBody; // only requests with exactly this body (one page of a list)

    // True when the fault answers in place of the call (a delay or a
    // truncation alone keeps the call's own answer).
    bool ReplacesAnswer() const { return drop || status || body || !location.empty() || !headers.empty(); }
};

class FaultTable {
public:
    void Set(const std::string& path, const Fault& fault);
    // The fault for a request to `path` with `body`, counting it against
    // `times`.
    std::optional<Fault> Take(const std::string& path, const std::string& body);
    void Clear();

private:
    std::mutex m_mutex;
    std::map<std::string, Fault> m_faults;
};

} // namespace service
