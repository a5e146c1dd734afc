#include "service/Form.h"

#include "service/Cp936.h"

namespace service {
namespace {

    int HexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    std::string Decode(std::string_view text, Charset charset)
    {
        std::string bytes = PercentDecode(text);
        return charset == Charset::Cp936 ? Cp936ToUtf8(bytes) : bytes;
    }

    std::string_view Trim(std::string_view s)
    {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
            s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
            s.remove_suffix(1);
        return s;
    }

    bool StartsWithNoCase(std::string_view s, std::string_view prefix)
    {
        if (s.size() < prefix.size())
            return false;
        for (std::size_t i = 0; i < prefix.size(); ++i) {
            char a = s[i], b = prefix[i];
            if (a >= 'A' && a <= 'Z')
                a = static_cast<char>(a - 'A' + 'a');
            if (b >= 'A' && b <= 'Z')
                b = static_cast<char>(b - 'A' + 'a');
            if (a != b)
                return false;
        }
        return true;
    }

    // The value of `name=` in a header like `form-data; name="x"; filename="y"`.
    bool HeaderParameter(std::string_view header, std::string_view name, std::string& value)
    {
        std::size_t pos = 0;
        while (pos < header.size()) {
            std::size_t semi = header.find(';', pos);
            std::string_view piece
                = Trim(header.substr(pos, semi == std::string_view::npos ? semi : semi - pos));
            pos = semi == std::string_view::npos ? header.size() : semi + 1;
            if (!StartsWithNoCase(piece, name) || piece.size() <= name.size() || piece[name.size()] != '=')
                continue;
            std::string_view v = piece.substr(name.size() + 1);
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
                v = v.substr(1, v.size() - 2);
            value.assign(v);
            return true;
        }
        return false;
    }

} // namespace

const FormField* Form::Find(std::string_view name) const
{
    for (const FormField& field : fields) {
        if (field.name == name)
            return &field;
    }
    return nullptr;
}

std::string Form::Get(std::string_view name) const
{
    const FormField* field = Find(name);
    return field != nullptr ? field->value : std::string();
}

std::string PercentDecode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0
            && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

void AppendUrlEncoded(std::string_view text, Charset charset, Form& form)
{
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t amp = text.find('&', pos);
        std::string_view piece = text.substr(pos, amp == std::string_view::npos ? amp : amp - pos);
        pos = amp == std::string_view::npos ? text.size() + 1 : amp + 1;
        if (piece.empty())
            continue;
        std::size_t eq = piece.find('=');
        FormField field;
        field.name = Decode(piece.substr(0, eq), charset);
        if (eq != std::string_view::npos)
            field.value = Decode(piece.substr(eq + 1), charset);
        form.fields.push_back(std::move(field));
    }
}

bool AppendMultipart(std::string_view body, std::string_view contentType, Form& form)
{
    std::string boundary;
    if (!HeaderParameter(contentType, "boundary", boundary) || boundary.empty())
        return false;
    const std::string delimiter = "--" + boundary;
    std::size_t pos = body.find(delimiter);
    if (pos == std::string_view::npos)
        return false;
    for (;;) {
        pos += delimiter.size();
        if (body.substr(pos, 2) == "--")
            return true; // the closing delimiter
        if (body.substr(pos, 2) != "\r\n")
            return false;
        pos += 2;
        std::size_t headersEnd = body.find("\r\n\r\n", pos);
        if (headersEnd == std::string_view::npos)
            return false;
        FormField field;
        std::string_view headers = body.substr(pos, headersEnd - pos);
        for (std::size_t line = 0; line <= headers.size();) {
            std::size_t end = headers.find("\r\n", line);
            std::string_view header = headers.substr(line, end == std::string_view::npos ? end : end - line);
            line = end == std::string_view::npos ? headers.size() + 1 : end + 2;
            std::size_t colon = header.find(':');
            if (colon == std::string_view::npos)
                continue;
            std::string_view key = Trim(header.substr(0, colon));
            std::string_view value = Trim(header.substr(colon + 1));
            if (StartsWithNoCase(key, "content-disposition") && key.size() == 19) {
                HeaderParameter(value, "name", field.name);
                field.isFile = HeaderParameter(value, "filename", field.filename);
            } else if (StartsWithNoCase(key, "content-type") && key.size() == 12) {
                field.contentType.assign(value);
            }
        }
        std::size_t dataStart = headersEnd + 4;
        std::size_t next = body.find("\r\n" + delimiter, dataStart);
        if (next == std::string_view::npos)
            return false;
        field.value.assign(body.substr(dataStart, next - dataStart));
        form.fields.push_back(std::move(field));
        pos = next + 2;
    }
}

} // namespace service
