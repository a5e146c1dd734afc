#include <array>
#include <cstdint>
#include <string>

#include "service/apps/AppState.h"

namespace service {
namespace {

    std::uint32_t Crc32(const std::string& data, std::size_t from)
    {
        static const std::array<std::uint32_t, 256> table = [] {
            std::array<std::uint32_t, 256> t {};
            for (std::uint32_t n = 0; n < 256; ++n) {
                std::uint32_t c = n;
                for (int k = 0; k < 8; ++k)
                    c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                t[n] = c;
            }
            return t;
        }();
        std::uint32_t crc = 0xFFFFFFFFu;
        for (std::size_t i = from; i < data.size(); ++i)
            crc = table[(crc ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (crc >> 8);
        return crc ^ 0xFFFFFFFFu;
    }

    void PutU32(std::string& out, std::uint32_t v)
    {
        out += static_cast<char>(v >> 24);
        out += static_cast<char>(v >> 16);
        out += static_cast<char>(v >> 8);
        out += static_cast<char>(v);
    }

    void Chunk(std::string& png, const char* type, const std::string& data)
    {
        PutU32(png, static_cast<std::uint32_t>(data.size()));
        const std::size_t start = png.size();
        png += type;
        png += data;
        PutU32(png, Crc32(png, start));
    }

    // Stored (uncompressed) deflate blocks inside a zlib stream.
    std::string ZlibStored(const std::string& raw)
    {
        std::string out = "\x78\x01";
        std::uint32_t a = 1, b = 0;
        for (unsigned char c : raw) {
            a = (a + c) % 65521;
            b = (b + a) % 65521;
        }
        std::size_t pos = 0;
        do {
            const std::size_t len = std::min<std::size_t>(65535, raw.size() - pos);
            const bool last = pos + len == raw.size();
            out += static_cast<char>(last ? 1 : 0);
            out += static_cast<char>(len & 0xFF);
            out += static_cast<char>(len >> 8);
            out += static_cast<char>(~len & 0xFF);
            out += static_cast<char>((~len >> 8) & 0xFF);
            out.append(raw, pos, len);
            pos += len;
        } while (pos < raw.size());
        PutU32(out, (b << 16) | a);
        return out;
    }

    void HueToRgb(int hue, unsigned char rgb[3])
    {
        const int h = hue % 360;
        const int x = (60 - std::abs(h % 120 - 60)) * 200 / 60;
        const int c = 200;
        int r = 0, g = 0, bl = 0;
        if (h < 60) {
            r = c;
            g = x;
        } else if (h < 120) {
            r = x;
            g = c;
        } else if (h < 180) {
            g = c;
            bl = x;
        } else if (h < 240) {
            g = x;
            bl = c;
        } else if (h < 300) {
            r = x;
            bl = c;
        } else {
            r = c;
            bl = x;
        }
        rgb[0] = static_cast<unsigned char>(r + 40);
        rgb[1] = static_cast<unsigned char>(g + 40);
        rgb[2] = static_cast<unsigned char>(bl + 40);
    }

} // namespace

std::string MakeIconPng(std::int64_t seed, int size)
{
    unsigned char back[3];
    HueToRgb(static_cast<int>((seed * 47) % 360), back);
    const int shape = static_cast<int>(seed % 4);
    const int radius = size / 6;
    std::string raw;
    raw.reserve(static_cast<std::size_t>(size) * (size * 4 + 1));
    const double mid = (size - 1) / 2.0;
    for (int y = 0; y < size; ++y) {
        raw += '\0';
        for (int x = 0; x < size; ++x) {
            // Rounded square with a white mark whose form depends on the seed.
            const int cx = x < radius ? radius - x : x >= size - radius ? x - (size - 1 - radius) : 0;
            const int cy = y < radius ? radius - y : y >= size - radius ? y - (size - 1 - radius) : 0;
            const bool inside = cx * cx + cy * cy <= radius * radius;
            const double dx = x - mid, dy = y - mid;
            bool mark = false;
            switch (shape) {
            case 0:
                mark = dx * dx + dy * dy < (size * 0.22) * (size * 0.22);
                break;
            case 1:
                mark = std::abs(dx) + std::abs(dy) < size * 0.28;
                break;
            case 2:
                mark = std::abs(dx) < size * 0.2 && std::abs(dy) < size * 0.2;
                break;
            default:
                mark = (std::abs(dx) < size * 0.08 || std::abs(dy) < size * 0.08) && std::abs(dx) < size * 0.3
                    && std::abs(dy) < size * 0.3;
                break;
            }
            const unsigned char alpha = inside ? 255 : 0;
            for (int k = 0; k < 3; ++k)
                raw += static_cast<char>(mark ? 250 : back[k] - (y * 30 / size));
            raw += static_cast<char>(alpha);
        }
    }
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutU32(header, static_cast<std::uint32_t>(size));
    PutU32(header, static_cast<std::uint32_t>(size));
    header += "\x08\x06"; // 8 bits, RGBA
    header += std::string(3, '\0');
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", ZlibStored(raw));
    Chunk(png, "IEND", "");
    return png;
}

} // namespace service
