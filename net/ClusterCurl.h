#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "net/CancelToken.h"
#include "net/CookieFile.h"
#include "net/ServiceAddress.h"

// Same declaration as in <curl/curl.h>; callers that set options on `handle`
// include that header themselves.
typedef void CURL;

// One HTTP request over one libcurl easy handle: a form POST or a GET kept in
// memory, a GET written to a file, or a multipart POST of one file. Make one
// per request, in this order:
//
//   ClusterCurl curl(ServiceHost(), "", "");
//   if (!curl.initCurlResource()) ...;
//   curl.path = "/api/qtz/front_user_login";
//   // optional: curl_easy_setopt(curl.handle, CURLOPT_NOPROGRESS, 0L); ...
//   int result = curl.postMsg(body, answer);
//
// Results: 0 when the transfer completed with HTTP status 200; -1 for a local
// failure (no handle, empty host, unusable file name, file not writable, an
// exception); otherwise the HTTP status, or the libcurl result code when the
// transfer failed before a status arrived. The object never reads the answer.
//
// Cookies: the process-wide cookie jar path (empty until a call routine sets
// it) is read before and written after each POST, so the session cookie that
// the login answer sets goes out with every later POST. libcurl writes the
// jar when the handle is cleaned up, i.e. in the destructor.
class ClusterCurl {
public:
    ClusterCurl(std::string ip, std::string user, std::string password);
    ~ClusterCurl();
    ClusterCurl(const ClusterCurl&) = delete;
    ClusterCurl& operator=(const ClusterCurl&) = delete;

    // Creates the handle; false when libcurl gives none.
    bool initCurlResource();

    // Form POST of `body` ("key=value&key=value"; each value is
    // percent-encoded here, keys and separators go out unchanged); the answer
    // is appended to `destination`. Afterwards `cookieLines` holds the
    // handle's cookies.
    int postMsg(const std::string& body, std::string& destination);
    // GET of ip + path (the query is part of `path`); answer appended.
    int getMsg(std::string& destination);
    // GET of ip + path into the file, created or truncated before anything is
    // sent; whatever the server sent stays in it.
    int downloadFile(const std::string& fileName);
    // Multipart POST of the parts "content" (the file), "filename" (its base
    // name in UTF-8), "id" and "is_app"; `destination` is emptied and then
    // receives the answer.
    int uploadFile(const std::string& id, const std::string& isApp, const std::string& fileFullName,
        std::string& destination);

    // The value (seventh white-space separated field) of the last entry of
    // `cookieLines`; empty when there is none.
    std::string lastCookieValue() const;

    // The process-wide cookie jar path; safe against concurrent use.
    static void setCookieJarPath(std::string path);
    static std::string cookieJarPath();
    // The per-user cookie file into which downloadFile stores the cookies its
    // answer sets (the application sets it at start from its local paths).
    static void setLocalCookieFilePath(std::string path);
    static std::string localCookieFilePath();

    // The steps the operations share; public for callers and tests.
    int messagePublicMethod();
    void setUserPwd();
    void setDataFormat();
    int dealResponseCode(int curlResult);
    static std::size_t httpDataWriter(void* data, std::size_t size, std::size_t count, void* destination);
    // Base name of a full file name: the text after the last "/".
    static std::string getFileName(const std::string& fileFullName);
    // The body with every value percent-encoded (A-Z a-z 0-9 - . _ ~ kept).
    static std::string encodeFormValues(const std::string& body);

    CURL* handle = nullptr;
    std::string ip;
    long port;
    std::string user;
    std::string password;
    std::string path;
    long connectTimeout = 0; // seconds; 0 means 60
    long timeout = 0; // seconds; 0 means 2000
    std::vector<std::string> cookieLines;
    // postMsg sends the body as it is: its values are already encoded
    // (net/FormFields.h).
    bool bodyEncoded = false;
    // Aborts the transfer (result CURLE_ABORTED_BY_CALLBACK, 42) within
    // kCancelPollMs of being cancelled; a transfer whose token is cancelled
    // before it starts sends nothing. By default the token of the task that
    // makes the object (the session's, so a sign-out ends it).
    CancelToken cancel = CurrentTaskToken();
    static constexpr long kCancelPollMs = 50;

    // curl_easy_perform that also watches `cancel`.
    int perform();

private:
    // With TLS: https only (also after a redirect, so nothing falls back to
    // plain http), the peer's certificate and host name verified, the
    // pinned CA bundle when there is one.
    void setTls();
    void readCookieList();
    // The step the four operations share once their request is set up: the
    // answer goes to `writer(sink)`, the transfer runs (watching `cancel`),
    // `cookieLines` is read after a success when asked, and what the answer
    // changed is merged into the cookie file `storeCookiesTo` (none: empty).
    // The libcurl result.
    int transfer(std::size_t (*writer)(void*, std::size_t, std::size_t, void*), void* sink,
        const std::string& storeCookiesTo, bool readCookies);
    CookieFile m_cookies;

    std::string m_url;
    std::string m_postFields;
    ServiceTransport m_transport;
    char m_errorText[256] = {}; // libcurl's own words for a failure (CURL_ERROR_SIZE)
};
