#include "commerce/Amounts.h"

#include <cmath>
#include <cstdio>
#include <regex>

#include "net/NumberText.h"
#include "net/TextConvert.h"

std::wstring DoubleToWide(double value)
{
    if (!std::isfinite(value))
        return L"0";
    const double cents = std::round(value * 100.0) / 100.0;
    char buffer[64];
    // Beyond 13 integer digits the cents no longer fit in 15 digits.
    if (std::fabs(cents) < 1e13)
        std::snprintf(buffer, sizeof buffer, "%.2f", cents);
    else
        std::snprintf(buffer, sizeof buffer, "%.15g", cents);
    std::string text = buffer;
    if (text.find('.') != std::string::npos && text.find('e') == std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return std::wstring(text.begin(), text.end());
}

double CustomRechargePrice(const std::vector<RechargePlan>& plans, long long points)
{
    double rate = 1.0;
    for (const RechargePlan& plan : plans) {
        if (WideToDouble(plan.points) <= static_cast<double>(points))
            rate = std::min(rate, WideToDouble(plan.discount));
    }
    return static_cast<double>(points) * rate;
}

namespace {

bool MatchesWhole(std::wstring_view text, const std::regex& pattern)
{
    return std::regex_match(WideToAnsi(text), pattern);
}

} // namespace

bool MatchesPointsPattern(std::wstring_view text)
{
    static const std::regex pattern("^[1-9]\\d*|0$", std::regex::ECMAScript);
    return MatchesWhole(text, pattern);
}

bool MatchesQuantityPattern(std::wstring_view text)
{
    static const std::regex pattern("^[1-9]\\d*$", std::regex::ECMAScript);
    return MatchesWhole(text, pattern);
}

std::wstring TrimToPattern(std::wstring text, bool (*matches)(std::wstring_view))
{
    while (!text.empty() && !matches(text))
        text.pop_back();
    return text;
}
