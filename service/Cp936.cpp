#include "service/Cp936.h"

#include <cerrno>
#include <iconv.h>

namespace service {
namespace {

    // Converts with a descriptor of its own (callers run on many threads);
    // each byte iconv refuses is replaced and skipped.
    std::string Convert(
        const char* to, const char* from, std::string_view in, std::string_view replacement, bool utf8Input)
    {
        std::string out;
        iconv_t cd = iconv_open(to, from);
        if (cd == reinterpret_cast<iconv_t>(-1))
            return out;
        const char* src = in.data();
        std::size_t left = in.size();
        char buffer[4096];
        while (left > 0) {
            char* dst = buffer;
            std::size_t room = sizeof buffer;
            std::size_t rc = iconv(cd, const_cast<char**>(&src), &left, &dst, &room);
            int err = rc == static_cast<std::size_t>(-1) ? errno : 0;
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (err == 0 || err == E2BIG)
                continue;
            out.append(replacement);
            // Skip one byte; of UTF-8 input the whole sequence it starts.
            std::size_t n = 1;
            while (utf8Input && n < left && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80)
                ++n;
            src += n;
            left -= n;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
        iconv_close(cd);
        return out;
    }

} // namespace

std::string Cp936ToUtf8(std::string_view bytes)
{
    return Convert("UTF-8", "CP936", bytes, "\xEF\xBF\xBD", false);
}

std::string Utf8ToCp936(std::string_view text)
{
    return Convert("CP936", "UTF-8", text, "?", true);
}

} // namespace service
