#include "platform/DebugLog.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <string>

#include "platform/Utf8.h"

namespace {

constexpr std::size_t kBufferUnits = 40960;

std::mutex& StderrMutex()
{
    static std::mutex m;
    return m;
}

void WriteLine(const std::string& text)
{
    std::lock_guard lock(StderrMutex());
    std::fwrite(text.data(), 1, text.size(), stderr);
    if (text.empty() || text.back() != '\n')
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

// Wide text to UTF-8 for the terminal; independent of the process locale.
std::string Utf8Of(const wchar_t* text)
{
    std::string out;
    for (; *text; ++text)
        AppendUtf8(static_cast<std::uint32_t>(*text), out);
    return out;
}

}  // namespace

void DebugLogA(const char* format, ...)
{
    static thread_local char buffer[kBufferUnits];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, kBufferUnits, format, args);
    va_end(args);
    WriteLine(buffer);
}

void DebugLogW(const wchar_t* format, ...)
{
    static thread_local wchar_t buffer[kBufferUnits];
    va_list args;
    va_start(args, format);
    // vswprintf fails (-1) when the output does not fit; keep what was written.
    if (std::vswprintf(buffer, kBufferUnits, format, args) < 0)
        buffer[kBufferUnits - 1] = L'\0';
    va_end(args);
    WriteLine(Utf8Of(buffer));
}
