// Amount texts, the custom recharge price and the two input patterns.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "commerce/Amounts.h"

namespace {

std::vector<RechargePlan> Plans()
{
    return { { L"100", L"10", L"0.1" }, { L"500", L"45", L"0.09" } };
}

TEST(AmountText, IsAShortMoneyAmount)
{
    EXPECT_EQ(DoubleToWide(10.000000000000002), L"10");
    EXPECT_EQ(DoubleToWide(19.8), L"19.8");
    EXPECT_EQ(DoubleToWide(600 * 0.09), L"54");
    EXPECT_EQ(DoubleToWide(100 * 0.085), L"8.5");
    EXPECT_EQ(DoubleToWide(1.0 / 3.0), L"0.33");
    EXPECT_EQ(DoubleToWide(2.675), L"2.68");
    EXPECT_EQ(DoubleToWide(0), L"0");
    EXPECT_EQ(DoubleToWide(-0.001), L"0");
    EXPECT_EQ(DoubleToWide(-12.5), L"-12.5");
    EXPECT_EQ(DoubleToWide(300), L"300");
}

TEST(AmountText, NoNumberGivesZeroAndHugeValuesKeepFifteenDigits)
{
    EXPECT_EQ(DoubleToWide(std::numeric_limits<double>::quiet_NaN()), L"0");
    EXPECT_EQ(DoubleToWide(std::numeric_limits<double>::infinity()), L"0");
    EXPECT_EQ(DoubleToWide(1e20), L"1e+20");
    EXPECT_EQ(DoubleToWide(1234567890123.45), L"1234567890123.45");
}

TEST(CustomRecharge, TakesTheBestDiscountAmongThePlansItReaches)
{
    EXPECT_EQ(DoubleToWide(CustomRechargePrice(Plans(), 600)), L"54");
    EXPECT_EQ(DoubleToWide(CustomRechargePrice(Plans(), 300)), L"30");
    EXPECT_EQ(DoubleToWide(CustomRechargePrice(Plans(), 500)), L"45");
    // Below every plan: one yuan a point.
    EXPECT_EQ(CustomRechargePrice(Plans(), 50), 50.0);
    EXPECT_EQ(CustomRechargePrice({}, 70), 70.0);
    // A discount above 1 never raises the price.
    EXPECT_EQ(CustomRechargePrice({ { L"10", L"20", L"2" } }, 70), 70.0);
}

TEST(InputPatterns, PointsAreANumberWithoutLeadingZeroOrOneZero)
{
    for (const wchar_t* good : { L"0", L"5", L"600", L"1000000" })
        EXPECT_TRUE(MatchesPointsPattern(good)) << good;
    for (const wchar_t* bad : { L"", L"05", L"00", L"6a", L"a", L" 6", L"6.5", L"-6", L"６" })
        EXPECT_FALSE(MatchesPointsPattern(bad)) << bad;
}

TEST(InputPatterns, AQuantityIsAtLeastOne)
{
    for (const wchar_t* good : { L"1", L"3", L"99999" })
        EXPECT_TRUE(MatchesQuantityPattern(good)) << good;
    for (const wchar_t* bad : { L"", L"0", L"01", L"3x", L"x" })
        EXPECT_FALSE(MatchesQuantityPattern(bad)) << bad;
}

TEST(InputPatterns, TrimmingRemovesFromTheEndUntilTheTextFits)
{
    // "0" then "5": the 5 goes again and 0 stays.
    EXPECT_EQ(TrimToPattern(L"05", MatchesPointsPattern), L"0");
    EXPECT_EQ(TrimToPattern(L"3a", MatchesQuantityPattern), L"3");
    EXPECT_EQ(TrimToPattern(L"a", MatchesQuantityPattern), L"");
    EXPECT_EQ(TrimToPattern(L"12", MatchesQuantityPattern), L"12");
    // A letter in the middle leaves the digits before it.
    EXPECT_EQ(TrimToPattern(L"1a2", MatchesQuantityPattern), L"1");
}

} // namespace
