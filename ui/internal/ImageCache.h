#pragma once

// The decoded pictures of one manager (Qt inside; for the engine's own
// files): skin files by name, masked variants apart, "@2x" versions looked
// for once, and the pictures the program hands over as bytes.

#include <QImage>

#include <cstdint>
#include <string>
#include <unordered_map>

namespace DuiLib {

class ImageCache {
public:
    // The picture for a name, or nullptr. With scale 2 the file's "@2x"
    // version where the skin has one; `gotScale` (when given) tells which of
    // the two came back. A file that cannot be read is looked for once.
    const QImage* Find(
        const std::wstring& name, bool hasMask, std::uint32_t mask, int scale = 1, int* gotScale = nullptr);
    // A picture given as bytes, found by name before any skin file.
    bool AddShared(const std::wstring& name, const std::string& bytes);
    void AddAlias(const std::wstring& name, const std::wstring& file);
    // Every variant of the name (masked ones too) is read again when used.
    void Remove(const std::wstring& name);
    // Drops the pictures; the aliases stay.
    void Clear();
    bool IsCached(const std::wstring& name) const;

private:
    struct Entry {
        QImage image;
        bool ok = false;
    };
    const Entry& Load(const std::wstring& file, const std::wstring& key, bool hasMask, std::uint32_t mask,
        bool reportMissing);

    std::unordered_map<std::wstring, Entry> files_; // key: file name (+ "|mask")
    std::unordered_map<std::wstring, QImage> shared_;
    std::unordered_map<std::wstring, std::wstring> aliases_;
};

} // namespace DuiLib
