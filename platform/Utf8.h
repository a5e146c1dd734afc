#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 encoding independent of the process locale; a value that is no
// Unicode scalar (a surrogate, or past U+10FFFF) becomes U+FFFD.
void AppendUtf8(std::uint32_t codePoint, std::string& out);
std::string Utf8OfWide(std::wstring_view text);
