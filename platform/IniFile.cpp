#include "platform/IniFile.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/AtomicFile.h"

namespace {

constexpr mode_t kIniFileMode = 0600;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

// One physical line of the file, without its line break.
struct Line {
    std::string text;
};

struct Parsed {
    std::vector<Line> lines;
    std::string lineBreak = "\n";
    bool endsWithBreak = true;
};

Parsed SplitLines(const std::string& bytes)
{
    Parsed parsed;
    std::size_t firstBreak = bytes.find('\n');
    if (firstBreak != std::string::npos && firstBreak > 0 && bytes[firstBreak - 1] == '\r')
        parsed.lineBreak = "\r\n";
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            parsed.lines.push_back({ bytes.substr(start) });
            parsed.endsWithBreak = false;
            break;
        }
        std::size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r')
            --stop;
        parsed.lines.push_back({ bytes.substr(start, stop - start) });
        start = end + 1;
    }
    return parsed;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionOf(std::string_view line, bool first)
{
    if (first && line.substr(0, 3) == "\xEF\xBB\xBF")
        line.remove_prefix(3);
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    std::size_t close = line.find(']');
    if (close != std::string_view::npos)
        line = line.substr(0, close);
    return Trim(line);
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> KeyOf(std::string_view line)
{
    std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine { Trim(trimmed.substr(0, eq)), Trim(trimmed.substr(eq + 1)) };
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Where a key lives in the parsed lines.
struct Location {
    std::optional<std::size_t> sectionLine; // the "[section]" line
    std::size_t sectionEnd = 0; // one past the last line of the section
    std::optional<std::size_t> keyLine;
};

Location Find(const Parsed& parsed, std::string_view section, std::string_view key)
{
    Location loc;
    bool inSection = false;
    for (std::size_t i = 0; i < parsed.lines.size(); ++i) {
        const std::string& text = parsed.lines[i].text;
        if (auto name = SectionOf(text, i == 0)) {
            if (inSection)
                break; // the first section of that name is the one used
            if (SameName(*name, section)) {
                inSection = true;
                loc.sectionLine = i;
                loc.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!Trim(text).empty())
            loc.sectionEnd = i + 1;
        if (!loc.keyLine) {
            if (auto kv = KeyOf(text); kv && SameName(kv->key, key))
                loc.keyLine = i;
        }
    }
    return loc;
}

std::optional<std::string> LookUp(std::string_view section, std::string_view key, const std::string& path)
{
    auto bytes = ReadWholeFile(path);
    if (!bytes)
        return std::nullopt;
    Parsed parsed = SplitLines(*bytes);
    Location loc = Find(parsed, section, key);
    if (!loc.keyLine)
        return std::nullopt;
    auto kv = KeyOf(parsed.lines[*loc.keyLine].text);
    return std::string(Unquote(kv->value));
}

std::string Bounded(std::string_view value, std::size_t bufferSize)
{
    if (bufferSize == 0)
        return {};
    return std::string(value.substr(0, bufferSize - 1));
}

// The text to put after "key=" so that reading gives value back.
std::string Encoded(std::string_view value)
{
    std::string flat(value);
    for (char& c : flat)
        if (c == '\n' || c == '\r')
            c = ' ';
    bool needsQuotes = !flat.empty()
        && (IsBlank(flat.front()) || IsBlank(flat.back()) || flat.front() == '"' || flat.front() == '\'');
    if (needsQuotes)
        return '"' + flat + '"';
    return flat;
}

std::mutex& WriteMutex()
{
    static std::mutex m;
    return m;
}

} // namespace

int IniReadInt(std::string_view section, std::string_view key, int defaultValue, const std::string& path)
{
    auto value = LookUp(section, key, path);
    if (!value || value->empty())
        return defaultValue;
    std::string_view s = *value;
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\n'))
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    unsigned base = 10;
    if (s.size() >= 2 && s[0] == '0') {
        char p = Lower(s[1]);
        if (p == 'x' || p == 'o' || p == 'b') {
            base = p == 'x' ? 16 : p == 'o' ? 8 : 2;
            s.remove_prefix(2);
        }
    }
    std::uint32_t result = 0; // wraps like the 32-bit original
    for (char c : s) {
        unsigned digit;
        char l = Lower(c);
        if (l >= '0' && l <= '9')
            digit = static_cast<unsigned>(l - '0');
        else if (l >= 'a' && l <= 'f')
            digit = static_cast<unsigned>(l - 'a' + 10);
        else
            break;
        if (digit >= base)
            break;
        result = result * base + digit;
    }
    if (negative)
        result = 0u - result;
    return static_cast<int>(result);
}

std::string IniReadString(std::string_view section, std::string_view key, std::string_view defaultValue,
    const std::string& path, std::size_t bufferSize)
{
    auto value = LookUp(section, key, path);
    return Bounded(value ? std::string_view(*value) : defaultValue, bufferSize);
}

bool IniWriteString(
    std::string_view section, std::string_view key, std::string_view value, const std::string& path)
{
    std::lock_guard lock(WriteMutex());
    bool unreadable = false;
    auto bytes = ReadWholeFile(path, &unreadable);
    if (unreadable)
        return false;
    Parsed parsed = bytes ? SplitLines(*bytes) : Parsed {};
    Location loc = Find(parsed, section, key);
    std::string entry;
    if (loc.keyLine) {
        // Keep the key as the file spells it.
        entry = std::string(KeyOf(parsed.lines[*loc.keyLine].text)->key) + "=" + Encoded(value);
        parsed.lines[*loc.keyLine].text = entry;
    } else {
        entry = std::string(key) + "=" + Encoded(value);
        if (loc.sectionLine) {
            parsed.lines.insert(
                parsed.lines.begin() + static_cast<std::ptrdiff_t>(loc.sectionEnd), Line { entry });
        } else {
            parsed.lines.push_back({ "[" + std::string(section) + "]" });
            parsed.lines.push_back({ entry });
        }
        parsed.endsWithBreak = true;
    }
    std::string out;
    for (std::size_t i = 0; i < parsed.lines.size(); ++i) {
        out += parsed.lines[i].text;
        if (i + 1 < parsed.lines.size() || parsed.endsWithBreak)
            out += parsed.lineBreak;
    }
    return WriteFileAtomically(path, out, kIniFileMode);
}
