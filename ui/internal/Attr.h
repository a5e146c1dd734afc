#pragma once

// Parsers for attribute values. Each returns false on a malformed value and
// leaves the output untouched, so a bad attribute is skipped, never fatal.

#include <cstdint>
#include <string>
#include <vector>

#include "ui/UIRect.h"
#include "ui/UISize.h"

namespace DuiLib::attr {

bool ParseBool(const std::wstring& text, bool& out);
bool ParseInt(const std::wstring& text, int& out);
bool ParseRect(const std::wstring& text, RECT& out);
bool ParseSize(const std::wstring& text, SIZE& out);
// "#AARRGGBB", "#RRGGBB" (opaque), "0xAARRGGBB".
bool ParseColor(const std::wstring& text, std::uint32_t& out);
// "left center right top vcenter bottom", combinable; also "wrap".
bool ParseAlign(const std::wstring& text, unsigned& style);
// Splits `a="1" b='2'` pairs as Default values carry them.
bool ParseAttributeList(const std::wstring& text, std::vector<std::pair<std::wstring, std::wstring>>& out);

std::wstring Trim(const std::wstring& text);
// The UTF-8 encoder is platform/Utf8's; this is the lenient reading back
// (a malformed byte becomes U+FFFD).
std::wstring FromUtf8(const std::string& text);

// "unknown attribute" / "bad value" lines for the diagnostic log.
void LogUnknown(const std::wstring& cls, const std::wstring& name, const std::wstring& value);
void LogBadValue(const std::wstring& cls, const std::wstring& name, const std::wstring& value);

} // namespace DuiLib::attr
