#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "commerce/CommerceMembers.h"

// A money amount as the purchase page shows it: rounded to the cent, at most
// 15 significant digits, no trailing zeros (10.000000000000002 gives 10, 19.8
// gives 19.8, 1/3 gives 0.33). Values that are no finite number give 0.
std::wstring DoubleToWide(double value);

// Yuan for a custom recharge of n points: the best discount among the preset
// plans whose points it reaches (rate 1.0 when it reaches none), not rounded.
double CustomRechargePrice(const std::vector<RechargePlan>& plans, long long points);

// The whole-text patterns of the two input fields (ECMAScript grammar, on
// the code page 936 form of the text): a number without leading zero or a
// single 0; a quantity of at least 1.
bool MatchesPointsPattern(std::wstring_view text);
bool MatchesQuantityPattern(std::wstring_view text);

// Removes characters from the end, one at a time, until the text matches or
// is empty: what a field does with a character that does not belong.
std::wstring TrimToPattern(std::wstring text, bool (*matches)(std::wstring_view));
