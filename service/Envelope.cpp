#include "service/Envelope.h"

#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace service {
namespace {

    // UnicodeEscaped writes each UTF-16 unit of a non-ASCII character as this
    // control character and four hex digits; the dump writes the control
    // character as "\u0001", which PayloadText then folds into "\uXXXX".
    constexpr char kMarker = '\x01';
    constexpr std::string_view kDumpedMarker = "\\u0001";

    std::string Dump(const nlohmann::ordered_json& value)
    {
        return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    }

    void AppendUnit(std::uint32_t unit, std::string& out)
    {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04x", static_cast<unsigned>(unit));
        out += kMarker;
        out += hex;
    }

} // namespace

std::string SuccessEnvelope(const std::string& payloadText)
{
    return Dump(nlohmann::ordered_json { { "status", true }, { "message", payloadText } });
}

std::string FailureEnvelope(const std::string& text)
{
    return Dump(nlohmann::ordered_json { { "status", false }, { "message", text } });
}

std::string UnicodeEscaped(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            if (b != static_cast<unsigned char>(kMarker))
                out += static_cast<char>(b);
            ++i;
            continue;
        }
        std::size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        std::uint32_t cp = len == 4 ? b & 0x07 : len == 3 ? b & 0x0F : b & 0x1F;
        bool ok = len > 1 && i + len <= utf8.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            auto c = static_cast<unsigned char>(utf8[i + k]);
            ok = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) {
            cp = 0xFFFD;
            len = 1;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            AppendUnit(0xD800 + (cp >> 10), out);
            AppendUnit(0xDC00 + (cp & 0x3FF), out);
        } else {
            AppendUnit(cp, out);
        }
        i += len;
    }
    return out;
}

std::string PayloadText(const nlohmann::ordered_json& payload)
{
    std::string text = Dump(payload);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '\\') {
            out += text[i++];
        } else if (text.compare(i, kDumpedMarker.size(), kDumpedMarker) == 0) {
            out += "\\u";
            i += kDumpedMarker.size();
        } else {
            // Any other escape goes over whole, so "\\u0001" in a text stays.
            out.append(text, i, 2);
            i += 2;
        }
    }
    return out;
}

} // namespace service
