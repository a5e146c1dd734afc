#include "service/Base64.h"

#include <cstdint>

namespace service {
namespace {
    constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

    int ValueOf(char c)
    {
        if (c >= 'A' && c <= 'Z')
            return c - 'A';
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 26;
        if (c >= '0' && c <= '9')
            return c - '0' + 52;
        if (c == '+')
            return 62;
        if (c == '/')
            return 63;
        return -1;
    }
} // namespace

std::string Base64Encode(std::string_view bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::size_t n = bytes.size() - i;
        std::uint32_t chunk = static_cast<unsigned char>(bytes[i]) << 16;
        if (n > 1)
            chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (n > 2)
            chunk |= static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(chunk >> 18) & 0x3F];
        out += kAlphabet[(chunk >> 12) & 0x3F];
        out += n > 1 ? kAlphabet[(chunk >> 6) & 0x3F] : '=';
        out += n > 2 ? kAlphabet[chunk & 0x3F] : '=';
    }
    return out;
}

std::optional<std::string> Base64Decode(std::string_view text)
{
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    bool padding = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c == '=') {
            padding = true;
            continue;
        }
        int v = ValueOf(c);
        if (v < 0 || padding)
            return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(v);
        if (++count == 4) {
            out += static_cast<char>((bits >> 16) & 0xFF);
            out += static_cast<char>((bits >> 8) & 0xFF);
            out += static_cast<char>(bits & 0xFF);
            bits = 0;
            count = 0;
        }
    }
    if (count == 1)
        return std::nullopt;
    if (count >= 2)
        out += static_cast<char>((bits >> (count == 2 ? 4 : 10)) & 0xFF);
    if (count == 3)
        out += static_cast<char>((bits >> 2) & 0xFF);
    return out;
}

} // namespace service
