#pragma once

#include <string>
#include <vector>

// Same declaration as in <curl/curl.h>.
typedef void CURL;

// The cookie file is shared by every request running at the same time: it
// is read into a handle and written back from it under one lock, and only
// with what this exchange changed, so that concurrent requests never see a
// half-written file or put back a cookie they read earlier. One per request.
class CookieFile {
public:
    // Starts the handle's cookie engine with the file's cookies (a missing
    // file is no cookies) and remembers what the handle then holds.
    void Load(CURL* handle, const std::string& path);
    // Starts the engine with no cookies: the exchange sends none, and what
    // its answer sets counts as changed.
    void StartEmpty(CURL* handle);
    // Merges into the file what the exchange changed since Load or
    // StartEmpty: new or changed cookies are written, removed ones dropped,
    // every other line of the file kept. The file is the user's alone (0600).
    void Store(CURL* handle, const std::string& path);

    // The handle's cookies as Netscape lines.
    static std::vector<std::string> HandleCookies(CURL* handle);
    // Domain, path and name of a cookie line (tab-separated Netscape format;
    // "#HttpOnly_" belongs to no domain).
    static std::string Key(const std::string& line);

private:
    std::vector<std::string> before_;
};
