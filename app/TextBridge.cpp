#include "app/TextBridge.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

#include "platform/Utf8.h"

namespace {

// One iconv conversion, replacing what cannot be converted by '?' and going
// on after it. inUnit is the size of one input unit, skipped on a bad one.
template <class Out>
Out Convert(const char* to, const char* from, const char* data, std::size_t size, std::size_t inUnit)
{
    Out out;
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return out;
    using Unit = typename Out::value_type;
    char buffer[1024];
    char* in = const_cast<char*>(data);
    std::size_t inLeft = size;
    auto flush = [&](char* end) {
        std::size_t bytes = static_cast<std::size_t>(end - buffer);
        out.append(reinterpret_cast<const Unit*>(buffer), bytes / sizeof(Unit));
    };
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t r = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        flush(outPtr);
        if (r != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // EILSEQ: an input unit that has no place in the target; EINVAL: a
        // cut-off sequence at the end. Either way one unit becomes '?'.
        out.push_back(static_cast<Unit>('?'));
        std::size_t skip = inUnit < inLeft ? inUnit : inLeft;
        in += skip;
        inLeft -= skip;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    ::iconv_close(cd);
    return out;
}

}  // namespace

std::string ShellWideToAnsi(const std::wstring& text)
{
    return Convert<std::string>("CP936", "WCHAR_T", reinterpret_cast<const char*>(text.data()),
                                text.size() * sizeof(wchar_t), sizeof(wchar_t));
}

std::wstring ShellAnsiToWide(const std::string& text)
{
    return Convert<std::wstring>("WCHAR_T", "CP936", text.data(), text.size(), 1);
}

std::string ShellWideToUtf8(const std::wstring& text)
{
    return Utf8OfWide(text);
}

std::wstring ShellUtf8ToWide(const std::string& text)
{
    return Convert<std::wstring>("WCHAR_T", "UTF-8", text.data(), text.size(), 1);
}
