#pragma once

#include <string>
#include <string_view>

// Text conversions between the client's wide text, the 8-bit ANSI code page
// (code page 936, GBK) that requests and stored settings use, and UTF-8.
// They keep no state between calls and are safe on many threads at once; no
// process-wide locale is consulted or switched. None fails visibly.

// Wide text to code page 936. When any character cannot be represented there,
// the whole result is the empty text (callers rely on it: a parameter text
// with such a character is sent empty).
std::string WideToAnsi(std::wstring_view text);

// Wide text to code page 936 with "?" in place of every character the code
// page lacks (how the envelope's message is brought into the code page).
std::string WideToAnsiReplacing(std::wstring_view text);

// Code page 936 to wide text; a byte sequence that is not valid there reads
// as U+FFFD.
std::wstring AnsiToWide(std::string_view text);

// UTF-8 to wide text; an invalid sequence reads as U+FFFD.
std::wstring Utf8ToWide(std::string_view text);

// Wide text to UTF-8; a value that is no Unicode scalar becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// Code page 936 to UTF-8, through wide text.
std::string AnsiToUtf8(std::string_view text);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view text);
