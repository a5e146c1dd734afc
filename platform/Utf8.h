#pragma once

#include <string>
#include <string_view>

// Wide text as UTF-8; code points that cannot be encoded (surrogates, values
// past U+10FFFF) become U+FFFD. Independent of the process locale.
std::string Utf8OfWide(std::wstring_view text);
