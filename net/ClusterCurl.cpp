#include "net/ClusterCurl.h"

#include <cerrno>
#include <cstdio>
#include <curl/curl.h>
#include <mutex>

#include "net/CookieFile.h"
#include "net/ServiceAddress.h"
#include "net/TextConvert.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"

// The multipart form is built with curl_formadd, which newer libcurl marks
// deprecated in favour of the mime interface.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

constexpr long kDefaultConnectTimeout = 60;
constexpr long kDefaultTimeout = 2000;

struct SharedPaths {
    std::mutex mutex;
    std::string cookieJar;
    std::string localCookieFile;
};

SharedPaths& Paths()
{
    static SharedPaths paths;
    return paths;
}

std::size_t FileWriter(void* data, std::size_t size, std::size_t count, void* file)
{
    return std::fwrite(data, size, count, static_cast<FILE*>(file)) * size;
}

// The base name for the "filename" part in UTF-8: file names on this system
// are UTF-8 already; one that is not is taken as code page 936.
std::string FileNameUtf8(const std::string& name)
{
    return IsValidUtf8(name) ? name : AnsiToUtf8(name);
}

} // namespace

ClusterCurl::ClusterCurl(std::string ip, std::string user, std::string password)
    : ip(std::move(ip))
    , port(ServicePort())
    , user(std::move(user))
    , password(std::move(password))
    , m_transport(CurrentServiceTransport())
{
}

ClusterCurl::~ClusterCurl()
{
    if (handle != nullptr)
        curl_easy_cleanup(handle);
}

bool ClusterCurl::initCurlResource()
{
    handle = curl_easy_init();
    return handle != nullptr;
}

void ClusterCurl::setCookieJarPath(std::string path)
{
    std::lock_guard lock(Paths().mutex);
    Paths().cookieJar = std::move(path);
}

std::string ClusterCurl::cookieJarPath()
{
    std::lock_guard lock(Paths().mutex);
    return Paths().cookieJar;
}

void ClusterCurl::setLocalCookieFilePath(std::string path)
{
    std::lock_guard lock(Paths().mutex);
    Paths().localCookieFile = std::move(path);
}

std::string ClusterCurl::localCookieFilePath()
{
    std::lock_guard lock(Paths().mutex);
    return Paths().localCookieFile;
}

int ClusterCurl::messagePublicMethod()
{
    try {
        if (handle == nullptr) {
            DebugLogA("messagePublicMethod curl ptr is null\n");
            return -1;
        }
        if (ip.empty()) {
            DebugLogA("messagePublicMethod ip is empty\n");
            return -1;
        }
        // A host without scheme gets libcurl's default, plain HTTP, unless
        // the client is built for TLS.
        const bool schemeGiven = ip.find("://") != std::string::npos;
        m_url = (m_transport.tls && !schemeGiven ? "https://" : "") + ip + path;
        DebugLogA("sUrl: %s\n", m_url.c_str());
        curl_easy_setopt(handle, CURLOPT_URL, m_url.c_str());
        curl_easy_setopt(handle, CURLOPT_PORT, port);
        if (m_transport.tls)
            setTls();
        setUserPwd();
        setDataFormat();
        return 0;
    } catch (...) {
        DebugLogA("messagePublicMethod api exception(%d)\n", errno);
        return -1;
    }
}

void ClusterCurl::setTls()
{
    static_assert(sizeof m_errorText >= CURL_ERROR_SIZE);
    m_errorText[0] = '\0';
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, m_errorText);
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!m_transport.caFile.empty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, m_transport.caFile.c_str());
}

void ClusterCurl::setUserPwd()
{
    if (!user.empty() && !password.empty()) {
        std::string credentials = user + ":" + password;
        curl_easy_setopt(handle, CURLOPT_USERPWD, credentials.c_str()); // libcurl copies it
    }
}

void ClusterCurl::setDataFormat()
{
    // Worker threads: no signals for name resolution time-outs.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    if (connectTimeout == 0)
        connectTimeout = kDefaultConnectTimeout;
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, connectTimeout);
    if (timeout == 0)
        timeout = kDefaultTimeout;
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, timeout);
    curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
}

int ClusterCurl::dealResponseCode(int curlResult)
{
    auto res = static_cast<CURLcode>(curlResult);
    const char* error = curl_easy_strerror(res);
    DebugLogA("%s\n", error);
    long status = 0;
    if (handle != nullptr)
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (res == CURLE_OK && status == 200)
        return 0;
    DebugLogA("curl send msg error: pRes=%s, lResCode=%ld \n", error, status);
    // Why a TLS transfer failed (an untrusted or expired certificate, a
    // wrong host name) is only in libcurl's detailed text.
    if (m_transport.tls && res != CURLE_OK && m_errorText[0] != '\0')
        DebugLogA("curl error detail: %s\n", m_errorText);
    return status != 0 ? static_cast<int>(status) : curlResult;
}

int ClusterCurl::perform()
{
    if (cancel.IsCancelled())
        return CURLE_ABORTED_BY_CALLBACK;
    // The easy handle runs in a multi handle of its own, which gives the loop
    // below a chance to look at the token every kCancelPollMs even while the
    // service sends nothing (curl_easy_perform would call the progress
    // callback only about once a second then).
    CURLM* multi = curl_multi_init();
    if (multi == nullptr)
        return CURLE_OUT_OF_MEMORY;
    if (curl_multi_add_handle(multi, handle) != CURLM_OK) {
        curl_multi_cleanup(multi);
        return CURLE_FAILED_INIT;
    }
    CURLcode result = CURLE_OK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        bool done = false;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == handle) {
                result = message->data.result;
                done = true;
            }
        }
        if (done)
            break;
        if (running == 0) {
            result = CURLE_RECV_ERROR; // ended without a result: never seen
            break;
        }
        if (cancel.IsCancelled()) {
            DebugLogA("transfer cancelled: %s\n", m_url.c_str());
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (curl_multi_poll(multi, nullptr, 0, static_cast<int>(kCancelPollMs), nullptr) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
    }
    curl_multi_remove_handle(multi, handle);
    curl_multi_cleanup(multi);
    return result;
}

std::size_t ClusterCurl::httpDataWriter(void* data, std::size_t size, std::size_t count, void* destination)
{
    if (destination == nullptr) {
        DebugLogA("ClusterCurl httpDataWriter data error(%d) \n", errno);
        return 0;
    }
    // No exception may cross back into libcurl; a short count aborts the
    // transfer instead.
    try {
        static_cast<std::string*>(destination)->append(static_cast<const char*>(data), size * count);
        return size * count;
    } catch (...) {
        return 0;
    }
}

std::string ClusterCurl::getFileName(const std::string& fileFullName)
{
    std::size_t slash = fileFullName.rfind('/');
    return slash == std::string::npos ? fileFullName : fileFullName.substr(slash + 1);
}

std::string ClusterCurl::encodeFormValues(const std::string& body)
{
    std::string out = body;
    std::size_t pos = 0;
    for (;;) {
        std::size_t eq = out.find('=', pos);
        if (eq == std::string::npos)
            break;
        std::size_t start = eq + 1;
        std::size_t amp = out.find('&', eq);
        std::size_t end = amp == std::string::npos ? out.size() : amp;
        std::string value = out.substr(start, end - start);
        if (char* escaped = curl_easy_escape(nullptr, value.data(), static_cast<int>(value.size()))) {
            out.replace(start, end - start, escaped);
            curl_free(escaped);
        }
        if (amp == std::string::npos)
            break;
        // Encoding only grows a value and never yields "=" or "&", so going
        // on from where the "&" was before the replacement finds the next key.
        pos = amp;
    }
    return out;
}

std::string ClusterCurl::lastCookieValue() const
{
    if (cookieLines.empty())
        return {};
    const std::string& line = cookieLines.back();
    int field = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i == line.size())
            break;
        std::size_t end = line.find_first_of(" \t", i);
        if (end == std::string::npos)
            end = line.size();
        if (field == 6)
            return line.substr(i, end - i);
        ++field;
        i = end;
    }
    return {};
}

void ClusterCurl::readCookieList()
{
    struct curl_slist* cookies = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_COOKIELIST, &cookies) != CURLE_OK)
        return;
    cookieLines.clear();
    for (struct curl_slist* item = cookies; item != nullptr; item = item->next)
        cookieLines.emplace_back(item->data);
    curl_slist_free_all(cookies);
}

int ClusterCurl::transfer(std::size_t (*writer)(void*, std::size_t, std::size_t, void*), void* sink,
    const std::string& storeCookiesTo, bool readCookies)
{
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, writer);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, sink);
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    const int res = perform();
    if (res == CURLE_OK && readCookies)
        readCookieList();
    if (!storeCookiesTo.empty())
        m_cookies.Store(handle, storeCookiesTo);
    return res;
}

int ClusterCurl::postMsg(const std::string& body, std::string& destination)
{
    try {
        if (handle == nullptr) {
            DebugLogA("postMsg curl ptr is null\n");
            return -1;
        }
        const std::string jar = cookieJarPath();
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
        m_cookies.Load(handle, jar);

        m_postFields = bodyEncoded ? body : encodeFormValues(body);
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, m_postFields.c_str());
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(m_postFields.size()));

        if (messagePublicMethod() != 0) {
            DebugLogA("postMsg call messagePublicMethod error(%d) \n", errno);
            return -1;
        }
        return dealResponseCode(transfer(&ClusterCurl::httpDataWriter, &destination, jar, true));
    } catch (...) {
        DebugLogA("postMsg api exception(%d)\n", errno);
        return -1;
    }
}

int ClusterCurl::getMsg(std::string& destination)
{
    try {
        if (handle == nullptr) {
            DebugLogA("getMsg curl ptr is null\n");
            return -1;
        }
        curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
        // The cookies go out; what the answer sets is not kept.
        m_cookies.Load(handle, cookieJarPath());

        if (messagePublicMethod() != 0) {
            DebugLogA("getMsg call messagePublicMethod error(%d) \n", errno);
            return -1;
        }
        return dealResponseCode(transfer(&ClusterCurl::httpDataWriter, &destination, std::string(), false));
    } catch (...) {
        DebugLogA("getMsg api exception(%d)\n", errno);
        return -1;
    }
}

int ClusterCurl::downloadFile(const std::string& fileName)
{
    if (fileName.empty()) {
        DebugLogA("downloadFile filename is empty\n");
        return -1;
    }
    FILE* file = std::fopen(fileName.c_str(), "wb");
    if (file == nullptr) {
        DebugLogA("downloadFile open file error(%d), %s\n", errno, fileName.c_str());
        return -1;
    }
    try {
        if (handle != nullptr)
            curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
        if (messagePublicMethod() != 0) {
            std::fclose(file);
            DebugLogA("downloadFile call messagePublicMethod error(%d) \n", errno);
            return -1;
        }
        // A download sends no cookies; what its answer sets is added to the file.
        m_cookies.StartEmpty(handle);
        int result = dealResponseCode(transfer(&FileWriter, file, localCookieFilePath(), false));
        std::fclose(file);
        return result;
    } catch (...) {
        std::fclose(file);
        DebugLogA("downloadFile api exception(%d)\n", errno);
        return -1;
    }
}

int ClusterCurl::uploadFile(const std::string& id, const std::string& isApp, const std::string& fileFullName,
    std::string& destination)
{
    if (fileFullName.empty()) {
        DebugLogA("uploadFile sFileFullname is empty\n");
        return -1;
    }
    struct curl_httppost* form = nullptr;
    struct curl_httppost* last = nullptr;
    struct curl_slist* headers = nullptr;
    auto release = [&] {
        curl_formfree(form);
        form = nullptr;
        curl_slist_free_all(headers);
        headers = nullptr;
    };
    try {
        const std::string fileName = getFileName(fileFullName);
        if (fileName.empty()) {
            DebugLogA(
                "uploadFileContent call getFileName failure, sFileFullname=%s \n", fileFullName.c_str());
            return -1;
        }
        DebugLogA("uploadFile pFileName=%s \n", fileName.c_str());
        if (messagePublicMethod() != 0) {
            DebugLogA("uploadFile call messagePublicMethod error(%d) \n", errno);
            return -1;
        }
        const std::string nameUtf8 = FileNameUtf8(fileName);
        curl_formadd(
            &form, &last, CURLFORM_COPYNAME, "content", CURLFORM_FILE, fileFullName.c_str(), CURLFORM_END);
        curl_formadd(&form, &last, CURLFORM_COPYNAME, "filename", CURLFORM_COPYCONTENTS, nameUtf8.c_str(),
            CURLFORM_CONTENTSLENGTH, static_cast<long>(nameUtf8.size()), CURLFORM_END);
        curl_formadd(&form, &last, CURLFORM_COPYNAME, "id", CURLFORM_COPYCONTENTS, id.c_str(),
            CURLFORM_CONTENTSLENGTH, static_cast<long>(id.size()), CURLFORM_END);
        curl_formadd(&form, &last, CURLFORM_COPYNAME, "is_app", CURLFORM_COPYCONTENTS, isApp.c_str(),
            CURLFORM_CONTENTSLENGTH, static_cast<long>(isApp.size()), CURLFORM_END);
        // No "100-continue" round trip before the body.
        headers = curl_slist_append(headers, "Expect:");
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(handle, CURLOPT_HTTPPOST, form);

        destination.clear();
        const std::string jar = cookieJarPath();
        m_cookies.Load(handle, jar);
        const int res = transfer(&ClusterCurl::httpDataWriter, &destination, jar, false);
        // The handle must not point at the freed form or header list.
        curl_easy_setopt(handle, CURLOPT_HTTPPOST, nullptr);
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, nullptr);
        release();
        return dealResponseCode(res);
    } catch (...) {
        if (handle != nullptr) {
            curl_easy_setopt(handle, CURLOPT_HTTPPOST, nullptr);
            curl_easy_setopt(handle, CURLOPT_HTTPHEADER, nullptr);
        }
        release();
        DebugLogA("uploadFile api exception(%d)\n", errno);
        return -1;
    }
}
