#pragma once

#include <cstdint>
#include <string>

// Appends the UTF-8 form of one code point; a value that is no Unicode
// scalar (a surrogate, or past U+10FFFF) becomes U+FFFD.
void AppendUtf8(std::uint32_t codePoint, std::string& out);
