#include "net/NumberText.h"

#include <charconv>
#include <limits>
#include <locale.h>
#include <stdlib.h>

namespace {

template <typename Char> bool IsSpace(Char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

template <typename Char> bool IsDigit(Char c)
{
    return c >= '0' && c <= '9';
}

template <typename Char>
std::int64_t ParseInteger(std::basic_string_view<Char> text, std::int64_t min, std::int64_t max)
{
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Accumulate toward the signed limit so the most negative value fits.
    std::int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        int digit = static_cast<int>(text[i] - '0');
        if (negative) {
            if (value < (min + digit) / 10)
                return min;
            value = value * 10 - digit;
        } else {
            if (value > (max - digit) / 10)
                return max;
            value = value * 10 + digit;
        }
    }
    return value;
}

locale_t CLocale()
{
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

template <typename Int, typename Char> std::basic_string<Char> DecimalText(Int value)
{
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::basic_string<Char>(buffer, end);
}

} // namespace

std::wstring IntToWide(int value)
{
    return DecimalText<int, wchar_t>(value);
}

std::wstring Int64ToWide(std::int64_t value)
{
    return DecimalText<std::int64_t, wchar_t>(value);
}

std::string IntToAnsi(int value)
{
    return DecimalText<int, char>(value);
}

int WideToInt(std::wstring_view text)
{
    return static_cast<int>(
        ParseInteger(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::int64_t WideToInt64(std::wstring_view text)
{
    return ParseInteger(
        text, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
}

int AnsiToInt(std::string_view text)
{
    return static_cast<int>(
        ParseInteger(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

double WideToDouble(std::wstring_view text)
{
    // Copy the longest prefix of the form [sign] digits [. digits] [e [sign]
    // digits] into plain ASCII, so that hexadecimal, "inf" and "nan" forms
    // that strtod knows do not count as numbers here.
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        number += static_cast<char>(text[i++]);
    std::size_t digits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++digits)
        number += static_cast<char>(text[i]);
    if (i < text.size() && text[i] == '.') {
        number += '.';
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++digits)
            number += static_cast<char>(text[i]);
    }
    if (digits == 0)
        return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exponent += static_cast<char>(text[j++]);
        std::size_t expDigits = 0;
        for (; j < text.size() && IsDigit(text[j]); ++j, ++expDigits)
            exponent += static_cast<char>(text[j]);
        if (expDigits > 0)
            number += exponent;
    }
    return strtod_l(number.c_str(), nullptr, CLocale());
}
