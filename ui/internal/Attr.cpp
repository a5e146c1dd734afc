#include "ui/internal/Attr.h"

#include <cwctype>

#include "platform/DebugLog.h"
#include "platform/Utf8.h"
#include "ui/UIDefs.h"

namespace DuiLib::attr {

std::wstring Trim(const std::wstring& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::iswspace(s[b]))
        ++b;
    while (e > b && std::iswspace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

namespace {

    // Reads a decimal integer (optional sign) at pos; skips blanks around it.
    bool ReadInt(const std::wstring& s, std::size_t& pos, int& out)
    {
        while (pos < s.size() && std::iswspace(s[pos]))
            ++pos;
        bool neg = false;
        if (pos < s.size() && (s[pos] == L'-' || s[pos] == L'+')) {
            neg = s[pos] == L'-';
            ++pos;
        }
        if (pos >= s.size() || s[pos] < L'0' || s[pos] > L'9')
            return false;
        long long v = 0;
        while (pos < s.size() && s[pos] >= L'0' && s[pos] <= L'9') {
            v = v * 10 + (s[pos] - L'0');
            if (v > 1000000000LL)
                return false;
            ++pos;
        }
        while (pos < s.size() && std::iswspace(s[pos]))
            ++pos;
        out = static_cast<int>(neg ? -v : v);
        return true;
    }

    bool ReadInts(const std::wstring& s, int* values, int count)
    {
        std::size_t pos = 0;
        for (int i = 0; i < count; ++i) {
            if (!ReadInt(s, pos, values[i]))
                return false;
            if (i + 1 < count) {
                if (pos >= s.size() || s[pos] != L',')
                    return false;
                ++pos;
            }
        }
        return pos == s.size();
    }

    int HexDigit(wchar_t c)
    {
        if (c >= L'0' && c <= L'9')
            return c - L'0';
        if (c >= L'a' && c <= L'f')
            return c - L'a' + 10;
        if (c >= L'A' && c <= L'F')
            return c - L'A' + 10;
        return -1;
    }

} // namespace

bool ParseBool(const std::wstring& text, bool& out)
{
    std::wstring t = Trim(text);
    if (t == L"true" || t == L"TRUE" || t == L"True" || t == L"1") {
        out = true;
        return true;
    }
    if (t == L"false" || t == L"FALSE" || t == L"False" || t == L"0") {
        out = false;
        return true;
    }
    return false;
}

bool ParseInt(const std::wstring& text, int& out)
{
    std::wstring t = Trim(text);
    int v = 0;
    if (!ReadInts(t, &v, 1))
        return false;
    out = v;
    return true;
}

bool ParseRect(const std::wstring& text, RECT& out)
{
    int v[4];
    if (!ReadInts(Trim(text), v, 4))
        return false;
    out = RECT { v[0], v[1], v[2], v[3] };
    return true;
}

bool ParseSize(const std::wstring& text, SIZE& out)
{
    int v[2];
    if (!ReadInts(Trim(text), v, 2))
        return false;
    out = SIZE { v[0], v[1] };
    return true;
}

bool ParseColor(const std::wstring& text, std::uint32_t& out)
{
    std::wstring t = Trim(text);
    std::size_t start = 0;
    if (!t.empty() && t[0] == L'#')
        start = 1;
    else if (t.size() > 2 && t[0] == L'0' && (t[1] == L'x' || t[1] == L'X'))
        start = 2;
    else
        return false;
    std::size_t digits = t.size() - start;
    if (digits != 8 && digits != 6)
        return false;
    std::uint32_t v = 0;
    for (std::size_t i = start; i < t.size(); ++i) {
        int d = HexDigit(t[i]);
        if (d < 0)
            return false;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    if (digits == 6)
        v |= 0xFF000000u;
    out = v;
    return true;
}

bool ParseAlign(const std::wstring& text, unsigned& style)
{
    unsigned horizontal = style & (DT_CENTER | DT_RIGHT);
    unsigned vertical = style & (DT_VCENTER | DT_BOTTOM | DT_TOP);
    unsigned rest = style & ~(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM | DT_TOP);
    bool any = false;
    std::size_t pos = 0;
    std::wstring t = text;
    while (pos < t.size()) {
        while (pos < t.size() && (std::iswspace(t[pos]) || t[pos] == L',' || t[pos] == L'|'))
            ++pos;
        std::size_t end = pos;
        while (end < t.size() && !std::iswspace(t[end]) && t[end] != L',' && t[end] != L'|')
            ++end;
        if (end == pos)
            break;
        std::wstring word = t.substr(pos, end - pos);
        pos = end;
        if (word == L"left")
            horizontal = DT_LEFT;
        else if (word == L"center")
            horizontal = DT_CENTER;
        else if (word == L"right")
            horizontal = DT_RIGHT;
        else if (word == L"top")
            vertical = DT_TOP;
        else if (word == L"vcenter")
            vertical = DT_VCENTER;
        else if (word == L"bottom")
            vertical = DT_BOTTOM;
        else if (word == L"wrap")
            rest = (rest & ~DT_SINGLELINE) | DT_WORDBREAK;
        else
            return false;
        any = true;
    }
    if (!any)
        return false;
    style = horizontal | vertical | rest;
    return true;
}

bool ParseAttributeList(const std::wstring& text, std::vector<std::pair<std::wstring, std::wstring>>& out)
{
    std::size_t pos = 0;
    const std::size_t n = text.size();
    while (true) {
        while (pos < n && std::iswspace(text[pos]))
            ++pos;
        if (pos >= n)
            return true;
        std::size_t nameStart = pos;
        while (pos < n && text[pos] != L'=' && !std::iswspace(text[pos]))
            ++pos;
        std::wstring name = text.substr(nameStart, pos - nameStart);
        while (pos < n && std::iswspace(text[pos]))
            ++pos;
        if (name.empty() || pos >= n || text[pos] != L'=')
            return false;
        ++pos;
        while (pos < n && std::iswspace(text[pos]))
            ++pos;
        if (pos >= n || (text[pos] != L'"' && text[pos] != L'\''))
            return false;
        wchar_t quote = text[pos++];
        std::size_t valueStart = pos;
        while (pos < n && text[pos] != quote)
            ++pos;
        if (pos >= n)
            return false;
        out.emplace_back(name, text.substr(valueStart, pos - valueStart));
        ++pos;
    }
}

std::wstring FromUtf8(const std::string& text)
{
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        auto b = static_cast<unsigned char>(text[i]);
        std::uint32_t c;
        int extra;
        if (b < 0x80) {
            c = b;
            extra = 0;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            extra = 3;
        } else {
            out += L'\uFFFD';
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        if (!ok) {
            out += L'\uFFFD';
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

void LogUnknown(const std::wstring& cls, const std::wstring& name, const std::wstring& value)
{
    DebugLogA("DuiLib: %s: unknown attribute %s=\"%s\" skipped\n", Utf8OfWide(cls).c_str(),
        Utf8OfWide(name).c_str(), Utf8OfWide(value).c_str());
}

void LogBadValue(const std::wstring& cls, const std::wstring& name, const std::wstring& value)
{
    DebugLogA("DuiLib: %s: malformed value %s=\"%s\" skipped\n", Utf8OfWide(cls).c_str(),
        Utf8OfWide(name).c_str(), Utf8OfWide(value).c_str());
}

} // namespace DuiLib::attr
