#pragma once

#include <string>
#include <string_view>

namespace service {

// Code page 936 (GBK) bytes to UTF-8; a byte that is not valid there becomes
// U+FFFD.
std::string Cp936ToUtf8(std::string_view bytes);
// UTF-8 to code page 936; characters the code page lacks become "?".
std::string Utf8ToCp936(std::string_view text);

} // namespace service
