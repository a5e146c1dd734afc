#include "platform/DebugLog.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/Utf8.h"

namespace {

constexpr std::size_t kBufferUnits = 40960;
constexpr std::size_t kSmallUnits = 1024;

std::mutex& StderrMutex()
{
    static std::mutex m;
    return m;
}

void WriteLine(std::string_view text)
{
    std::lock_guard lock(StderrMutex());
    std::fwrite(text.data(), 1, text.size(), stderr);
    if (text.empty() || text.back() != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace

void DebugLogA(const char* format, ...)
{
    // Formatted on the stack when it fits, else once more on the heap: a
    // buffer per thread would cost every new worker thread its zeroing.
    char small[kSmallUnits];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        va_end(again);
        return;
    }
    if (static_cast<std::size_t>(length) < sizeof small) {
        va_end(again);
        WriteLine(std::string_view(small, static_cast<std::size_t>(length)));
        return;
    }
    std::string text(std::min<std::size_t>(static_cast<std::size_t>(length), kBufferUnits - 1) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    text.pop_back();
    WriteLine(text);
}

void DebugLogW(const wchar_t* format, ...)
{
    wchar_t small[kSmallUnits];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vswprintf(small, kSmallUnits, format, args);
    va_end(args);
    if (length >= 0) {
        va_end(again);
        WriteLine(Utf8OfWide(std::wstring_view(small, static_cast<std::size_t>(length))));
        return;
    }
    // vswprintf fails (-1) when the output does not fit, and says nothing
    // of the length: the whole buffer, keeping what was written.
    std::wstring text(kBufferUnits, L'\0');
    if (std::vswprintf(text.data(), kBufferUnits, format, again) < 0)
        text[kBufferUnits - 1] = L'\0';
    va_end(again);
    text.resize(std::wcslen(text.c_str()));
    WriteLine(Utf8OfWide(text));
}
