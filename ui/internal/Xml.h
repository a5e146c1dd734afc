#pragma once

// A small XML reader for skin files: elements and attributes only (text
// content, comments, declarations and CDATA are skipped). Strict about
// structure, so a broken file is reported instead of half-read.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace DuiLib::xml {

// Node and ParseResult are what Parse gives, so they stay with it.
struct Node {
    std::wstring name;
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    std::vector<Node> children;
    int line = 0;

    // The value of an attribute, or nullptr.
    const std::wstring* Attribute(std::wstring_view attrName) const;
};

struct ParseResult {
    bool ok = false;
    Node root;
    std::string error; // "line N: what", when !ok
};

ParseResult Parse(std::string_view utf8);

} // namespace DuiLib::xml
