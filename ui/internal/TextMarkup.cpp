#include "ui/internal/TextMarkup.h"

#include <cwctype>

namespace DuiLib::markup {

namespace {

    constexpr std::size_t kMaxArgument = 512;

    bool TagOf(wchar_t c, Tag& tag)
    {
        switch (c) {
        case L'b':
            tag = Tag::Bold;
            return true;
        case L'i':
            tag = Tag::Italic;
            return true;
        case L'u':
            tag = Tag::Underline;
            return true;
        case L'c':
            tag = Tag::Color;
            return true;
        case L'a':
            tag = Tag::Link;
            return true;
        case L'f':
            tag = Tag::Font;
            return true;
        case L'x':
            tag = Tag::X;
            return true;
        case L'y':
            tag = Tag::Y;
            return true;
        case L'p':
            tag = Tag::Paragraph;
            return true;
        case L'n':
            tag = Tag::NewLine;
            return true;
        case L's':
            tag = Tag::Selected;
            return true;
        default:
            return false;
        }
    }

    // Tries to read a tag at text[pos]; on success fills token and returns the
    // index just past it, else returns pos.
    std::size_t ReadTag(const std::wstring& text, std::size_t pos, Token& token)
    {
        wchar_t open = text[pos];
        wchar_t close = open == L'<' ? L'>' : L'}';
        std::size_t i = pos + 1;
        bool closing = false;
        if (i < text.size() && text[i] == L'/') {
            closing = true;
            ++i;
        }
        if (i >= text.size())
            return pos;
        Tag tag;
        if (!TagOf(text[i], tag))
            return pos;
        ++i;
        if (i >= text.size())
            return pos;
        std::wstring argument;
        if (text[i] == close) {
            ++i;
        } else if (!closing && std::iswspace(text[i])) {
            std::size_t end = text.find(close, i);
            if (end == std::wstring::npos || end - i > kMaxArgument)
                return pos;
            argument = text.substr(i, end - i);
            if (argument.find(open) != std::wstring::npos)
                return pos;
            std::size_t b = 0;
            while (b < argument.size() && std::iswspace(argument[b]))
                ++b;
            std::size_t e = argument.size();
            while (e > b && std::iswspace(argument[e - 1]))
                --e;
            argument = argument.substr(b, e - b);
            i = end + 1;
        } else {
            return pos;
        }
        token.type = closing ? Token::Close : Token::Open;
        token.tag = tag;
        token.text = std::move(argument);
        return i;
    }

} // namespace

std::vector<Token> Tokenize(const std::wstring& text)
{
    std::vector<Token> tokens;
    std::wstring pending;
    auto flush = [&] {
        if (!pending.empty()) {
            Token t;
            t.type = Token::Text;
            t.text = std::move(pending);
            tokens.push_back(std::move(t));
            pending.clear();
        }
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        wchar_t c = text[pos];
        if (c == L'<' || c == L'{') {
            Token t;
            std::size_t next = ReadTag(text, pos, t);
            if (next != pos) {
                flush();
                tokens.push_back(std::move(t));
                pos = next;
                continue;
            }
        }
        pending += c;
        ++pos;
    }
    flush();
    return tokens;
}

bool HasTags(const std::wstring& text)
{
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] == L'<' || text[pos] == L'{') {
            Token t;
            if (ReadTag(text, pos, t) != pos)
                return true;
        }
    }
    return false;
}

} // namespace DuiLib::markup
