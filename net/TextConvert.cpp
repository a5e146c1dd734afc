#include "net/TextConvert.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

#include "platform/Utf8.h"

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

// One converter per direction and thread: an iconv descriptor holds shift
// state and must not be shared between threads.
class Converter {
public:
    Converter(const char* to, const char* from)
        : m_cd(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    void reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

    // Converts as much as possible; returns the iconv error (0 when all input
    // was consumed) and advances in/inLeft past what was converted.
    int step(const char*& in, std::size_t& inLeft, std::string& out)
    {
        char buffer[4096];
        while (inLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t rc = iconv(m_cd, const_cast<char**>(&in), &inLeft, &dst, &dstLeft);
            int err = rc == static_cast<std::size_t>(-1) ? errno : 0;
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (err != 0 && err != E2BIG)
                return err;
        }
        return 0;
    }

private:
    iconv_t m_cd;
};

Converter& ToAnsi()
{
    thread_local Converter c("CP936", "WCHAR_T");
    return c;
}

Converter& FromAnsi()
{
    thread_local Converter c("WCHAR_T", "CP936");
    return c;
}

bool IsScalar(std::uint32_t c)
{
    return c < 0x110000 && (c < 0xD800 || c > 0xDFFF);
}

// Wide to CP936; unrepresentable characters either fail the whole text or
// become "?".
bool WideToAnsiImpl(std::wstring_view text, bool replace, std::string& out)
{
    Converter& cd = ToAnsi();
    if (!cd.valid())
        return false;
    cd.reset();
    out.reserve(text.size() * 2);
    const char* in = reinterpret_cast<const char*>(text.data());
    std::size_t inLeft = text.size() * sizeof(wchar_t);
    while (inLeft > 0) {
        int err = cd.step(in, inLeft, out);
        if (err == 0)
            break;
        if (!replace || inLeft < sizeof(wchar_t))
            return false;
        out += '?';
        in += sizeof(wchar_t);
        inLeft -= sizeof(wchar_t);
        cd.reset();
    }
    return true;
}

// Decodes one UTF-8 sequence at text[i]; returns its length (at least 1) and
// the code point, or U+FFFD for a malformed sequence (overlong forms,
// surrogates and values past U+10FFFF included).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, std::uint32_t& cp)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t len;
    std::uint32_t min;
    if (b0 < 0xC2 || b0 > 0xF4) {
        cp = kReplacement; // never the start of a well-formed sequence
        return 1;
    }
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, min = 0x80, cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, min = 0x800, cp = b0 & 0x0F;
    } else {
        len = 4, min = 0x10000, cp = b0 & 0x07;
    }
    for (std::size_t k = 1; k < len; ++k) {
        if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80) {
            cp = kReplacement;
            return k;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || !IsScalar(cp))
        cp = kReplacement;
    return len;
}

} // namespace

std::string WideToAnsi(std::wstring_view text)
{
    std::string out;
    if (!WideToAnsiImpl(text, false, out))
        return {};
    return out;
}

std::string WideToAnsiReplacing(std::wstring_view text)
{
    std::string out;
    if (!WideToAnsiImpl(text, true, out))
        return {};
    return out;
}

std::wstring AnsiToWide(std::string_view text)
{
    std::wstring out;
    Converter& cd = FromAnsi();
    if (!cd.valid())
        return out;
    cd.reset();
    std::string bytes;
    bytes.reserve(text.size() * sizeof(wchar_t));
    const char* in = text.data();
    std::size_t inLeft = text.size();
    while (inLeft > 0) {
        int err = cd.step(in, inLeft, bytes);
        if (err == 0)
            break;
        // Keep what converted, mark the bad byte and go on after it.
        std::wstring_view done(
            reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
        out.append(done);
        out += kReplacement;
        bytes.clear();
        ++in;
        --inLeft;
        cd.reset();
    }
    out.append(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    return out;
}

std::wstring Utf8ToWide(std::string_view text)
{
    // Never more characters than bytes: written in place, then cut to size.
    std::wstring out(text.size(), L'\0');
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out[n++] = static_cast<wchar_t>(b);
            ++i;
            continue;
        }
        std::uint32_t cp;
        i += DecodeUtf8(text, i, cp);
        out[n++] = static_cast<wchar_t>(cp);
    }
    out.resize(n);
    return out;
}

std::string WideToUtf8(std::wstring_view text)
{
    return Utf8OfWide(text);
}

std::string AnsiToUtf8(std::string_view text)
{
    return WideToUtf8(AnsiToWide(text));
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp;
        std::size_t len = DecodeUtf8(text, i, cp);
        if (cp == kReplacement) {
            // A literal U+FFFD is valid; a malformed sequence is not.
            if (len != 3 || text.substr(i, 3) != "\xEF\xBF\xBD")
                return false;
        }
        i += len;
    }
    return true;
}
