#include "ui/internal/ImageCache.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "platform/DebugLog.h"
#include "platform/Utf8.h"
#include "ui/internal/Resources.h"

namespace DuiLib {

namespace {

    QImage Decode(const std::string& bytes)
    {
        QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        QImage img = reader.read();
        if (img.isNull())
            return img;
        return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }

    QImage ApplyMask(const QImage& src, std::uint32_t mask)
    {
        QImage img = src.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = mask & 0x00FFFFFFu;
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                if ((line[x] & 0x00FFFFFFu) == key)
                    line[x] = 0;
        }
        return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }

    // "img/a/b.png" -> "img/a/b@2x.png"; empty where the name has no extension.
    std::wstring DoubleScaleName(const std::wstring& file)
    {
        const std::size_t dot = file.rfind(L'.');
        const std::size_t slash = file.find_last_of(L"/\\");
        if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash))
            return {};
        return file.substr(0, dot) + L"@2x" + file.substr(dot);
    }

    std::wstring ForwardSlashes(std::wstring name)
    {
        for (auto& c : name)
            if (c == L'\\')
                c = L'/';
        return name;
    }

} // namespace

const ImageCache::Entry& ImageCache::Load(
    const std::wstring& file, const std::wstring& key, bool hasMask, std::uint32_t mask, bool reportMissing)
{
    auto it = files_.find(key);
    if (it != files_.end())
        return it->second;
    Entry entry;
    std::string bytes;
    if (resources::Read(file, bytes)) {
        entry.image = Decode(bytes);
        entry.ok = !entry.image.isNull();
        if (entry.ok && hasMask)
            entry.image = ApplyMask(entry.image, mask);
        if (!entry.ok && reportMissing)
            DebugLogA("DuiLib: image %s cannot be decoded, not drawn\n", Utf8OfWide(file).c_str());
    } else if (reportMissing) {
        DebugLogA("DuiLib: image %s not found, not drawn\n", Utf8OfWide(file).c_str());
    }
    return files_.emplace(key, std::move(entry)).first->second;
}

const QImage* ImageCache::Find(
    const std::wstring& name, bool hasMask, std::uint32_t mask, int scale, int* gotScale)
{
    if (gotScale)
        *gotScale = 1;
    if (name.empty())
        return nullptr;
    if (!hasMask) {
        auto s = shared_.find(name);
        if (s != shared_.end())
            return &s->second;
    }
    std::wstring file = name;
    if (auto a = aliases_.find(name); a != aliases_.end())
        file = a->second;
    const auto keyOf = [&](const std::wstring& f) { return hasMask ? f + L"|" + std::to_wstring(mask) : f; };
    if (scale > 1) {
        // A picture without a 2x version is looked for once, then the 1x
        // one stands in (scaled up by the painter).
        const std::wstring doubled = DoubleScaleName(file);
        if (!doubled.empty()) {
            const Entry& entry = Load(doubled, keyOf(doubled), hasMask, mask, false);
            if (entry.ok) {
                if (gotScale)
                    *gotScale = 2;
                return &entry.image;
            }
        }
    }
    const Entry& entry = Load(file, keyOf(file), hasMask, mask, true);
    return entry.ok ? &entry.image : nullptr;
}

bool ImageCache::AddShared(const std::wstring& name, const std::string& bytes)
{
    QImage img = Decode(bytes);
    if (img.isNull()) {
        DebugLogA("DuiLib: shared image %s: data cannot be decoded\n", Utf8OfWide(name).c_str());
        return false;
    }
    shared_[name] = std::move(img);
    return true;
}

void ImageCache::AddAlias(const std::wstring& name, const std::wstring& file)
{
    aliases_[name] = ForwardSlashes(file);
}

void ImageCache::Remove(const std::wstring& name)
{
    const std::wstring file = ForwardSlashes(name);
    shared_.erase(name);
    for (auto it = files_.begin(); it != files_.end();) {
        const std::wstring& key = it->first;
        if (key == file || key == name || key.rfind(file + L"|", 0) == 0)
            it = files_.erase(it);
        else
            ++it;
    }
}

void ImageCache::Clear()
{
    files_.clear();
    shared_.clear();
}

bool ImageCache::IsCached(const std::wstring& name) const
{
    if (shared_.count(name))
        return true;
    auto it = files_.find(ForwardSlashes(name));
    return it != files_.end() && it->second.ok;
}

} // namespace DuiLib
