#include "net/Base64.h"

#include <cstdint>

std::string Base64Lines(std::string_view bytes)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr std::size_t kLine = 64;
    std::string out;
    std::size_t encoded = (bytes.size() + 2) / 3 * 4;
    out.reserve(encoded + (encoded / kLine + 1) * 2);
    std::size_t column = 0;
    auto put = [&](char c) {
        out += c;
        if (++column == kLine) {
            out += "\r\n";
            column = 0;
        }
    };
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t chunk = static_cast<unsigned char>(bytes[i]) << 16;
        std::size_t n = bytes.size() - i;
        if (n > 1)
            chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (n > 2)
            chunk |= static_cast<unsigned char>(bytes[i + 2]);
        put(kAlphabet[(chunk >> 18) & 0x3F]);
        put(kAlphabet[(chunk >> 12) & 0x3F]);
        put(n > 1 ? kAlphabet[(chunk >> 6) & 0x3F] : '=');
        put(n > 2 ? kAlphabet[chunk & 0x3F] : '=');
    }
    if (column != 0)
        out += "\r\n";
    return out;
}

namespace {

int Base64Value(char c)
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

std::string Base64DecodePrefix(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    int bits = 0;
    for (char c : text) {
        const int value = Base64Value(c);
        if (value < 0)
            break;
        group = (group << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    return bytes;
}
