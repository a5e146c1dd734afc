#pragma once

#include <string>
#include <string_view>

// Base64 text of the bytes in lines of 64 characters, each line (the last
// one too) ended by CR LF; the empty input gives the empty text.
std::string Base64Lines(std::string_view bytes);
