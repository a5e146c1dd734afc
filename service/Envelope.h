#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

namespace service {

// The answer every call gets, as the client reads it:
//   {"status":true,"message":"<the payload JSON as a string>"}
//   {"status":false,"message":"<text for the user>"}
std::string SuccessEnvelope(const std::string& payloadText);
std::string FailureEnvelope(const std::string& text);

// The payload as JSON text, members in insertion order. Strings are written as they are (raw UTF-8, which
// the client reads back in its code page), except those wrapped with
// UnicodeEscaped, whose non-ASCII characters are written as "\u" escapes
// (which the client reads back as UTF-8). Each call's fields say which.
std::string PayloadText(const nlohmann::ordered_json& payload);

// Marks a UTF-8 string so that PayloadText writes it with "\u" escapes.
std::string UnicodeEscaped(const std::string& utf8);

// The failure text that means "no valid session".
inline constexpr const char* kSessionExpired = "-1000";

} // namespace service
