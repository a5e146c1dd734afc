#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace service {

// Plain Base64 (no line breaks), as the request log carries raw bytes.
std::string Base64Encode(std::string_view bytes);
// Decodes Base64, ignoring white space (CR LF line breaks included); none
// for any other character outside the alphabet.
std::optional<std::string> Base64Decode(std::string_view text);

} // namespace service
