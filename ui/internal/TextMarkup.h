#pragma once

// Tokenizer of the text markup: tags in braces (layout files) or angle
// brackets (texts built by code): b i u c a f x y p n s. Anything that is
// not a well-formed tag of this set is plain text.

#include <string>
#include <vector>

namespace DuiLib::markup {

enum class Tag { Bold, Italic, Underline, Color, Link, Font, X, Y, Paragraph, NewLine, Selected };

struct Token {
    enum Type { Text, Open, Close } type = Text;
    Tag tag = Tag::Bold;
    std::wstring text; // the text, or the tag's argument
};

std::vector<Token> Tokenize(const std::wstring& text);

// True when the text contains at least one markup tag.
bool HasTags(const std::wstring& text);

} // namespace DuiLib::markup
