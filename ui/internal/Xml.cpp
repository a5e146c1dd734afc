#include "ui/internal/Xml.h"

#include "platform/Utf8.h"
#include "ui/internal/Attr.h"

namespace DuiLib::xml {

const std::wstring* Node::Attribute(std::wstring_view attrName) const
{
    for (const auto& [k, v] : attributes)
        if (k == attrName)
            return &v;
    return nullptr;
}

namespace {

    constexpr int kMaxDepth = 200;

    class Reader {
    public:
        explicit Reader(std::string_view text)
            : m_s(text)
        {
        }

        ParseResult Run()
        {
            ParseResult result;
            if (m_s.substr(0, 3) == "\xEF\xBB\xBF")
                m_pos = 3;
            if (!SkipMisc()) {
                result.error = Error();
                return result;
            }
            if (m_pos >= m_s.size() || m_s[m_pos] != '<') {
                m_error = "no root element";
                result.error = Error();
                return result;
            }
            if (!ReadElement(result.root, 0)) {
                result.error = Error();
                return result;
            }
            if (!SkipMisc() || m_pos != m_s.size()) {
                if (m_error.empty())
                    m_error = "content after the root element";
                result.error = Error();
                return result;
            }
            result.ok = true;
            return result;
        }

    private:
        std::string Error() const { return "line " + std::to_string(m_line) + ": " + m_error; }

        bool StartsWith(std::string_view what) const { return m_s.substr(m_pos, what.size()) == what; }

        void Advance(std::size_t n)
        {
            for (std::size_t i = 0; i < n && m_pos < m_s.size(); ++i, ++m_pos)
                if (m_s[m_pos] == '\n')
                    ++m_line;
        }

        bool SkipUntil(std::string_view end)
        {
            std::size_t found = m_s.find(end, m_pos);
            if (found == std::string_view::npos) {
                m_error = "unterminated " + std::string(end);
                return false;
            }
            Advance(found + end.size() - m_pos);
            return true;
        }

        void SkipSpace()
        {
            while (m_pos < m_s.size() && IsSpace(m_s[m_pos]))
                Advance(1);
        }

        static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
        static bool IsNameChar(char c)
        {
            auto u = static_cast<unsigned char>(c);
            return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                || c == '_' || c == '-' || c == '.' || c == ':';
        }

        // Blanks, comments, declarations and processing instructions.
        bool SkipMisc()
        {
            while (true) {
                SkipSpace();
                if (StartsWith("<!--")) {
                    if (!SkipUntil("-->"))
                        return false;
                } else if (StartsWith("<?")) {
                    if (!SkipUntil("?>"))
                        return false;
                } else if (StartsWith("<!")) {
                    if (!SkipUntil(">"))
                        return false;
                } else {
                    return true;
                }
            }
        }

        bool ReadName(std::string& out)
        {
            std::size_t start = m_pos;
            while (m_pos < m_s.size() && IsNameChar(m_s[m_pos]))
                ++m_pos;
            if (m_pos == start) {
                m_error = "a name was expected";
                return false;
            }
            out.assign(m_s.substr(start, m_pos - start));
            return true;
        }

        // Resolves the entity at raw[i] ('&'); appends and returns the length used,
        // or 0 when it is not a known entity (the '&' is then kept as it is).
        static std::size_t Entity(std::string_view raw, std::size_t i, std::string& out)
        {
            static const std::pair<std::string_view, char> named[] = { { "&lt;", '<' }, { "&gt;", '>' },
                { "&amp;", '&' }, { "&quot;", '"' }, { "&apos;", '\'' } };
            for (const auto& [name, c] : named) {
                if (raw.substr(i, name.size()) == name) {
                    out += c;
                    return name.size();
                }
            }
            if (raw.substr(i, 2) == "&#") {
                std::size_t j = i + 2;
                int base = 10;
                if (j < raw.size() && (raw[j] == 'x' || raw[j] == 'X')) {
                    base = 16;
                    ++j;
                }
                unsigned long v = 0;
                std::size_t digits = 0;
                while (j < raw.size() && digits < 8) {
                    char c = raw[j];
                    int d = -1;
                    if (c >= '0' && c <= '9')
                        d = c - '0';
                    else if (base == 16 && c >= 'a' && c <= 'f')
                        d = c - 'a' + 10;
                    else if (base == 16 && c >= 'A' && c <= 'F')
                        d = c - 'A' + 10;
                    if (d < 0)
                        break;
                    v = v * static_cast<unsigned long>(base) + static_cast<unsigned long>(d);
                    ++digits;
                    ++j;
                }
                if (digits > 0 && j < raw.size() && raw[j] == ';') {
                    // A reference to U+0000 names no XML character.
                    AppendUtf8(v == 0 ? 0xFFFD : static_cast<std::uint32_t>(v), out);
                    return j + 1 - i;
                }
            }
            return 0;
        }

        bool ReadAttributeValue(std::wstring& out)
        {
            if (m_pos >= m_s.size() || (m_s[m_pos] != '"' && m_s[m_pos] != '\'')) {
                m_error = "a quoted attribute value was expected";
                return false;
            }
            char quote = m_s[m_pos];
            Advance(1);
            std::size_t end = m_s.find(quote, m_pos);
            if (end == std::string_view::npos) {
                m_error = "unterminated attribute value";
                return false;
            }
            std::string_view raw = m_s.substr(m_pos, end - m_pos);
            std::string value;
            value.reserve(raw.size());
            for (std::size_t i = 0; i < raw.size();) {
                char c = raw[i];
                if (c == '&') {
                    std::size_t used = Entity(raw, i, value);
                    if (used) {
                        i += used;
                        continue;
                    }
                }
                if (c == '<') {
                    m_error = "'<' inside an attribute value";
                    return false;
                }
                value += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
                ++i;
            }
            Advance(end + 1 - m_pos);
            out = attr::FromUtf8(value);
            return true;
        }

        bool ReadElement(Node& node, int depth)
        {
            if (depth > kMaxDepth) {
                m_error = "elements nested too deeply";
                return false;
            }
            node.line = m_line;
            Advance(1); // '<'
            std::string name;
            if (!ReadName(name))
                return false;
            node.name = attr::FromUtf8(name);
            while (true) {
                SkipSpace();
                if (m_pos >= m_s.size()) {
                    m_error = "unterminated element <" + name + ">";
                    return false;
                }
                if (StartsWith("/>")) {
                    Advance(2);
                    return true;
                }
                if (m_s[m_pos] == '>') {
                    Advance(1);
                    break;
                }
                std::string attrName;
                if (!ReadName(attrName))
                    return false;
                SkipSpace();
                if (m_pos >= m_s.size() || m_s[m_pos] != '=') {
                    m_error = "'=' expected after attribute " + attrName;
                    return false;
                }
                Advance(1);
                SkipSpace();
                std::wstring value;
                if (!ReadAttributeValue(value))
                    return false;
                node.attributes.emplace_back(attr::FromUtf8(attrName), std::move(value));
            }
            // Content: child elements; text is skipped.
            while (true) {
                std::size_t lt = m_s.find('<', m_pos);
                if (lt == std::string_view::npos) {
                    m_error = "missing </" + name + ">";
                    return false;
                }
                Advance(lt - m_pos);
                if (StartsWith("</")) {
                    Advance(2);
                    std::string closing;
                    if (!ReadName(closing))
                        return false;
                    if (closing != name) {
                        m_error = "</" + closing + "> closes <" + name + ">";
                        return false;
                    }
                    SkipSpace();
                    if (m_pos >= m_s.size() || m_s[m_pos] != '>') {
                        m_error = "'>' expected";
                        return false;
                    }
                    Advance(1);
                    return true;
                }
                if (StartsWith("<!--")) {
                    if (!SkipUntil("-->"))
                        return false;
                } else if (StartsWith("<![CDATA[")) {
                    if (!SkipUntil("]]>"))
                        return false;
                } else if (StartsWith("<?")) {
                    if (!SkipUntil("?>"))
                        return false;
                } else if (StartsWith("<!")) {
                    if (!SkipUntil(">"))
                        return false;
                } else {
                    node.children.emplace_back();
                    if (!ReadElement(node.children.back(), depth + 1))
                        return false;
                }
            }
        }

        std::string_view m_s;
        std::size_t m_pos = 0;
        int m_line = 1;
        std::string m_error;
    };

} // namespace

ParseResult Parse(std::string_view utf8)
{
    return Reader(utf8).Run();
}

} // namespace DuiLib::xml
