#include "ui/internal/ImageAttr.h"

#include <cwctype>

#include "ui/internal/Attr.h"

namespace DuiLib {

namespace {

    std::wstring Normalised(std::wstring file)
    {
        for (auto& c : file)
            if (c == L'\\')
                c = L'/';
        return file;
    }

} // namespace

bool ParseImageAttr(const std::wstring& text, ImageAttr& out)
{
    out = ImageAttr {};
    std::wstring t = attr::Trim(text);
    if (t.empty())
        return false;
    if (t.find(L'=') == std::wstring::npos
        || (t.find(L'\'') == std::wstring::npos && t.find(L'"') == std::wstring::npos)) {
        out.file = Normalised(t);
        return true;
    }
    std::size_t pos = 0;
    const std::size_t n = t.size();
    while (pos < n) {
        while (pos < n && std::iswspace(t[pos]))
            ++pos;
        if (pos >= n)
            break;
        std::size_t keyStart = pos;
        while (pos < n && t[pos] != L'=' && !std::iswspace(t[pos]))
            ++pos;
        std::wstring key = t.substr(keyStart, pos - keyStart);
        while (pos < n && std::iswspace(t[pos]))
            ++pos;
        if (pos >= n || t[pos] != L'=') {
            attr::LogBadValue(L"image", L"text", text);
            break;
        }
        ++pos;
        while (pos < n && std::iswspace(t[pos]))
            ++pos;
        if (pos >= n || (t[pos] != L'\'' && t[pos] != L'"')) {
            attr::LogBadValue(L"image", L"text", text);
            break;
        }
        wchar_t quote = t[pos++];
        std::size_t end = t.find(quote, pos);
        if (end == std::wstring::npos) {
            attr::LogBadValue(L"image", L"text", text);
            break;
        }
        std::wstring value = t.substr(pos, end - pos);
        pos = end + 1;
        bool ok = true;
        if (key == L"file" || key == L"res") {
            out.file = Normalised(attr::Trim(value));
        } else if (key == L"dest") {
            ok = attr::ParseRect(value, out.dest);
            out.hasDest = ok;
        } else if (key == L"source") {
            ok = attr::ParseRect(value, out.source);
            out.hasSource = ok;
        } else if (key == L"corner") {
            ok = attr::ParseRect(value, out.corner);
        } else if (key == L"fade") {
            int fade = 255;
            ok = attr::ParseInt(value, fade) && fade >= 0 && fade <= 255;
            if (ok)
                out.fade = fade;
        } else if (key == L"mask") {
            ok = attr::ParseColor(value, out.mask);
            out.hasMask = ok;
        } else if (key == L"xtiled") {
            ok = attr::ParseBool(value, out.xtiled);
        } else if (key == L"ytiled") {
            ok = attr::ParseBool(value, out.ytiled);
        } else if (key == L"hole") {
            ok = attr::ParseBool(value, out.hole);
        } else if (key == L"restype") {
            // Resource types do not apply: every image comes from the package or disk.
        } else {
            attr::LogUnknown(L"image", key, value);
        }
        if (!ok)
            attr::LogBadValue(L"image", key, value);
    }
    return !out.file.empty();
}

std::wstring ImageFileOf(const std::wstring& text)
{
    ImageAttr attrs;
    if (!ParseImageAttr(text, attrs))
        return {};
    return attrs.file;
}

} // namespace DuiLib
