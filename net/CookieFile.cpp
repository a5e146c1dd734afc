#include "net/CookieFile.h"

#include <curl/curl.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

#include "platform/FileSystem.h"

namespace {

std::mutex& CookieFileMutex()
{
    static std::mutex mutex;
    return mutex;
}

// The file's lines, read with plain system calls: this runs before every
// request, and a stream with its locale costs more than the read itself.
// A missing or unreadable file has no lines.
std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return lines;
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        if (end > begin)
            lines.emplace_back(text, begin, end - begin);
        begin = end + 1;
    }
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

std::vector<std::string> CookieFile::HandleCookies(CURL* handle)
{
    std::vector<std::string> lines;
    struct curl_slist* cookies = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_COOKIELIST, &cookies) != CURLE_OK)
        return lines;
    for (struct curl_slist* item = cookies; item != nullptr; item = item->next)
        lines.emplace_back(item->data);
    curl_slist_free_all(cookies);
    return lines;
}

std::string CookieFile::Key(const std::string& line)
{
    std::string key;
    std::size_t field = 0;
    std::size_t begin = 0;
    while (begin <= line.size() && field < 6) {
        std::size_t end = line.find('\t', begin);
        if (end == std::string::npos)
            end = line.size();
        if (field == 0 || field == 2 || field == 5) {
            std::string part = line.substr(begin, end - begin);
            if (field == 0 && part.rfind("#HttpOnly_", 0) == 0)
                part.erase(0, 10);
            key += part;
            key += '\t';
        }
        ++field;
        begin = end + 1;
    }
    return key;
}

void CookieFile::Load(CURL* handle, const std::string& path)
{
    curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
    {
        std::lock_guard lock(CookieFileMutex());
        for (const std::string& line : ReadLines(path))
            curl_easy_setopt(handle, CURLOPT_COOKIELIST, line.c_str());
    }
    before_ = HandleCookies(handle);
}

void CookieFile::StartEmpty(CURL* handle)
{
    curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
    before_.clear();
}

void CookieFile::Store(CURL* handle, const std::string& path)
{
    const std::vector<std::string> after = HandleCookies(handle);
    std::vector<std::string> changed;
    std::vector<std::string> removedKeys;
    for (const std::string& line : after) {
        if (!Contains(before_, line))
            changed.push_back(line);
    }
    for (const std::string& line : before_) {
        const std::string key = Key(line);
        bool kept = false;
        for (const std::string& now : after)
            kept = kept || Key(now) == key;
        if (!kept)
            removedKeys.push_back(key);
    }
    if (changed.empty() && removedKeys.empty())
        return;
    std::lock_guard lock(CookieFileMutex());
    curl_easy_setopt(handle, CURLOPT_COOKIELIST, "ALL");
    for (const std::string& line : ReadLines(path)) {
        if (!Contains(removedKeys, Key(line)))
            curl_easy_setopt(handle, CURLOPT_COOKIELIST, line.c_str());
    }
    for (const std::string& line : changed)
        curl_easy_setopt(handle, CURLOPT_COOKIELIST, line.c_str());
    // libcurl writes the jar with the umask's mode (keeping that of a file
    // already there); the session cookie in it is the user's alone.
    CreatePrivateFileIfMissing(path);
    curl_easy_setopt(handle, CURLOPT_COOKIEJAR, path.c_str());
    curl_easy_setopt(handle, CURLOPT_COOKIELIST, "FLUSH");
    RestrictMode(path, 0600);
    // Written now; the end of the handle must not write it a second time.
    curl_easy_setopt(handle, CURLOPT_COOKIEJAR, nullptr);
}
