#pragma once

#include <string>
#include <string_view>

// Base64 text of the bytes in lines of 64 characters, each line (the last
// one too) ended by CR LF; the empty input gives the empty text.
std::string Base64Lines(std::string_view bytes);

// Standard Base64 read up to the first "=" or the first character outside
// the alphabet (a line break included); the bits of a trailing partial
// group that make no whole byte are dropped.
std::string Base64DecodePrefix(std::string_view text);
