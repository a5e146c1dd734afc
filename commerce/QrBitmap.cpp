#include "commerce/QrBitmap.h"

#include <qrencode.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/Utf8.h"

namespace {

constexpr int kPixelsPerModule = 8;

void PutLe(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

struct QrDeleter {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

} // namespace

std::string QrBitmapBytes(const unsigned char* modules, int width)
{
    const std::uint32_t side = static_cast<std::uint32_t>(width) * kPixelsPerModule;
    const std::uint32_t rowBytes = side * 3; // 24 m bytes: always a multiple of 4
    const std::uint32_t pixelBytes = rowBytes * side;
    std::string out;
    out.reserve(54 + pixelBytes);
    out += "BM";
    PutLe(out, 54 + pixelBytes, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, side, 4);
    PutLe(out, static_cast<std::uint32_t>(-static_cast<std::int32_t>(side)), 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    for (int i = 0; i < 6; ++i)
        PutLe(out, 0, 4); // compression, image size, resolutions, palette
    std::string row(rowBytes, '\0');
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            const char value = (modules[y * width + x] & 1) ? '\0' : '\xFF';
            row.replace(static_cast<std::size_t>(x) * kPixelsPerModule * 3, kPixelsPerModule * 3,
                kPixelsPerModule * 3, value);
        }
        for (int repeat = 0; repeat < kPixelsPerModule; ++repeat)
            out += row;
    }
    return out;
}

bool WriteQrBitmap(const std::string& content, const std::string& path)
{
    std::unique_ptr<QRcode, QrDeleter> code(
        QRcode_encodeString(content.c_str(), 0, QR_ECLEVEL_H, QR_MODE_8, 1));
    if (!code || code->width <= 0)
        return false;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const std::string bytes = QrBitmapBytes(code->data, code->width);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::string QrFileName(std::wstring_view displayOrderId)
{
    bool plain = !displayOrderId.empty() && displayOrderId.size() <= 64;
    for (wchar_t c : displayOrderId) {
        const bool allowed = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')
            || c == L'-' || c == L'_';
        plain = plain && allowed;
    }
    if (plain)
        return std::string(displayOrderId.begin(), displayOrderId.end()) + ".bmp";
    // FNV-1a over the UTF-8 form: the same id always gives the same file.
    std::uint64_t hash = 1469598103934665603ULL;
    for (unsigned char byte : Utf8OfWide(displayOrderId)) {
        hash ^= byte;
        hash *= 1099511628211ULL;
    }
    char name[40];
    std::snprintf(name, sizeof name, "order_%016llx.bmp", static_cast<unsigned long long>(hash));
    return name;
}
