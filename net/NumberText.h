#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Decimal text of numbers: "-" for negative values, no padding, no grouping.
std::wstring IntToWide(int value);
std::wstring Int64ToWide(std::int64_t value);
std::string IntToAnsi(int value);

// Leading white space skipped, an optional sign, then digits up to the first
// non-digit; 0 when the text does not start with a number. A value past the
// range of the type saturates at its limit.
int WideToInt(std::wstring_view text);
std::int64_t WideToInt64(std::wstring_view text);
int AnsiToInt(std::string_view text);

// A decimal number with optional fraction and exponent after leading white
// space, read up to the first character that does not fit; 0 when the text
// does not start with a number. Independent of the process locale.
double WideToDouble(std::wstring_view text);
