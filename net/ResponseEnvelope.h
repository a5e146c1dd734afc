#pragma once

#include <string>
#include <string_view>

#include "net/JsonRead.h"

// Every service answer is a JSON object {"status": ..., "message": ...}. On
// success "message" is itself JSON text (the payload); on failure it is the
// text for the user ("-1000": the session is missing or expired).
struct ResponseEnvelope {
    json::Document root; // the whole body; none when it is not JSON
    bool success = false; // "status" is the JSON literal true
    std::string message; // "message" in the ANSI code page ("?" for what it lacks)
    std::wstring messageText; // `message` back in wide text: what a call reports
    json::Document payload; // `message` parsed, only on success
};

// Reads an answer body. Never fails: a body that is not JSON, has the wrong
// types, is truncated or nested too deep gives an envelope with `success`
// false and empty texts. A "message" that is no JSON string counts as missing.
ResponseEnvelope ParseEnvelope(std::string_view body);

// The text of a failed call that means "not (or no longer) signed in".
inline constexpr const wchar_t* kSessionExpiredText = L"-1000";
