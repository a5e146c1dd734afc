// Reading the plan and record payloads, and the parameter texts of orders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "commerce/Order.h"
#include "commerce/PlanLoad.h"
#include "commerce/Records.h"
#include "net/JsonRead.h"
#include "net/TextConvert.h"

namespace {

RechargeOffer RechargeOf(const std::string& payload)
{
    RechargeOffer offer;
    json::Document doc = json::Parse(payload);
    ReadRechargePlans(doc.get(), offer);
    return offer;
}

std::vector<PurchasePlan> PlansOf(const std::string& payload)
{
    std::vector<PurchasePlan> plans;
    json::Document doc = json::Parse(payload);
    ReadPurchasePlans(doc.get(), plans);
    return plans;
}

TEST(RechargePayload, PlansGetTheirAmountAndTheMinimum)
{
    const RechargeOffer m
        = RechargeOf(R"({"price":["100","500"],"discount":["0.1","0.09","0.5"],"limit":"50"})");
    ASSERT_EQ(m.plans.size(), 2u);
    EXPECT_EQ(m.plans[0].points, L"100");
    EXPECT_EQ(m.plans[0].amountText, L"10");
    EXPECT_EQ(m.plans[1].discount, L"0.09");
    EXPECT_EQ(m.plans[1].amountText, L"45");
    EXPECT_EQ(m.minimum, 50);
}

TEST(RechargePayload, BadValuesReadAsZeroAndAMissingLimitKeepsTheOldOne)
{
    RechargeOffer m = RechargeOf(R"({"price":["abc",{"x":1},120],"discount":["0.1"],"limit":null})");
    ASSERT_EQ(m.plans.size(), 3u);
    EXPECT_EQ(m.plans[0].amountText, L"0");
    EXPECT_EQ(m.plans[1].points, L"");
    EXPECT_EQ(m.plans[2].points, L"120");
    // No discount for it: no amount rather than an empty tile text.
    EXPECT_EQ(m.plans[2].amountText, L"0");
    EXPECT_FALSE(m.minimum.has_value());
    m = RechargeOf(R"({"price":"100","discount":5})");
    EXPECT_TRUE(m.plans.empty());
    EXPECT_FALSE(m.minimum.has_value());
    m = RechargeOf("[1,2,3]");
    EXPECT_TRUE(m.plans.empty());

    // Handed over, an offer without a minimum leaves the one in force.
    CommerceMembers members;
    members.rechargeMinimum = 7;
    members.loadedRecharge = RechargeOf(R"({"price":["100"],"discount":["0.1"]})");
    AdoptRechargePlans(members);
    EXPECT_EQ(members.rechargePlans.size(), 1u);
    EXPECT_EQ(members.rechargeMinimum, 7);
    members.loadedRecharge = RechargeOf(R"({"price":[],"limit":"30"})");
    AdoptRechargePlans(members);
    EXPECT_TRUE(members.rechargePlans.empty());
    EXPECT_EQ(members.rechargeMinimum, 30);
}

TEST(PurchasePayload, PricesAreOrderedByDaysAndARepeatedDayKeepsItsFirstPrice)
{
    const std::vector<PurchasePlan> m = PlansOf(
        R"([{"type":"Pro","pix":"1080x1920","memory":"4G","core":"8","desc":"d","price":{"90":"270","30":"100","30":"999","7":"x"}}])");
    ASSERT_EQ(m.size(), 1u);
    const PurchasePlan& plan = m[0];
    EXPECT_EQ(plan.type, L"Pro");
    EXPECT_EQ(plan.pix, L"1080x1920");
    EXPECT_EQ(plan.core, L"8");
    ASSERT_EQ(plan.prices.size(), 3u);
    auto it = plan.prices.begin();
    EXPECT_EQ(it->first, 7);
    EXPECT_EQ(it->second, 0);
    ++it;
    EXPECT_EQ(it->first, 30);
    EXPECT_EQ(it->second, 100);
    EXPECT_EQ((++it)->first, 90);
}

TEST(PurchasePayload, WrongTypesAndAHugePriceObjectAreSurvived)
{
    EXPECT_TRUE(PlansOf(R"({"type":"A"})").empty());
    std::vector<PurchasePlan> m = PlansOf(R"([1,"x",{"type":5,"price":[1,2]},null])");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].type, L"");
    EXPECT_TRUE(m[0].prices.empty());

    std::string prices;
    for (int i = 1; i <= 10000; ++i)
        prices += (i > 1 ? "," : "") + std::string("\"") + std::to_string(i) + "\":\"" + std::to_string(i * 3)
            + "\"";
    m = PlansOf(R"([{"type":"Max","price":{)" + prices + "}}]");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].prices.size(), 10000u);
    EXPECT_EQ(m[0].prices.at(9999), 29997);
}

class LocalTime : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        m_old = tz ? tz : "";
        m_had = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string m_old;
    bool m_had = false;
};

TEST_F(LocalTime, DatesHaveNoLeadingZerosButInMinutesAndSeconds)
{
    EXPECT_EQ(FormatLocalDateTime(1551776824), L"2019-3-5 9:07:04");
    EXPECT_EQ(FormatLocalDateTime(0), L"1970-1-1 0:00:00");
    EXPECT_EQ(FormatLocalDateTime(1796115599), L"2026-12-1 8:59:59");
    setenv("TZ", "CST-8", 1);
    tzset();
    EXPECT_EQ(FormatLocalDateTime(1551776824), L"2019-3-5 17:07:04");
}

TEST_F(LocalTime, PointRecordsAreAlwaysDoneAndDescribedByType)
{
    // Payload texts arrive in the code page, as the envelope leaves them.
    json::Document doc = json::Parse(R"({"id":"9","create_at":"1551776824","name":")"
        + WideToAnsi(L"注册赠送") + R"(","diff":"+200","type":-1})");
    RecordEntry entry = ReadPointRecord(doc.get());
    EXPECT_EQ(entry.date, L"2019-3-5 9:07:04");
    EXPECT_EQ(entry.plan, L"注册赠送");
    EXPECT_EQ(entry.amount, L"+200");
    EXPECT_EQ(entry.status, L"已完成");
    EXPECT_EQ(entry.description, L"赠送");
    EXPECT_EQ(entry.id, L"9");
    // Numbers where texts were expected still read.
    doc = json::Parse(R"({"id":10,"create_at":1551776824,"diff":-12.5,"type":"3"})");
    entry = ReadPointRecord(doc.get());
    EXPECT_EQ(entry.id, L"10");
    EXPECT_EQ(entry.amount, L"-12.5");
    EXPECT_EQ(entry.description, L"购买商品");
    EXPECT_EQ(entry.date, L"2019-3-5 9:07:04");
    const std::pair<int, const wchar_t*> table[]
        = { { 1, L"购买商品" }, { 2, L"商品退款" }, { 5, L"退款" }, { 4, L"" }, { 0, L"" } };
    for (const auto& [type, text] : table)
        EXPECT_EQ(PointRecordTypeText(type), text);
}

TEST_F(LocalTime, OrderRecordsNameTheirPlanStateAndPaymentKind)
{
    json::Document doc = json::Parse(
        R"({"display_order_id":"KV1","create_at":"1551776824","product_name":"Pro","operate":"30","amount":"180","status":14,"type":25})");
    RecordEntry entry = ReadOrderRecord(doc.get());
    EXPECT_EQ(entry.plan, L"Pro 30天");
    EXPECT_EQ(entry.amount, L"180");
    EXPECT_EQ(entry.status, L"已完成");
    EXPECT_EQ(entry.description, L"支付宝WEB");
    EXPECT_EQ(entry.id, L"KV1");
    doc = json::Parse(R"({"product_name":"","status":"12","type":32})");
    entry = ReadOrderRecord(doc.get());
    EXPECT_EQ(entry.plan, L"钱包充值");
    EXPECT_EQ(entry.status, L"等待支付");
    EXPECT_EQ(entry.description, L"微信扫码");
    EXPECT_EQ(entry.date, L"1970-1-1 0:00:00");
    EXPECT_EQ(OrderStatusText(11), L"请求失败");
    EXPECT_EQ(OrderStatusText(15), L"已退款");
    EXPECT_EQ(OrderStatusText(16), L"");
    EXPECT_EQ(PaymentKindText(43), L"苹果APP");
    EXPECT_EQ(PaymentKindText(11), L"");
    EXPECT_EQ(OrderQueryStatusText(14), L"订单已完成！");
    EXPECT_EQ(OrderQueryStatusText(12), L"订单待支付");
}

TEST(OrderParameters, EachCategoryHasItsParametersInOrder)
{
    OrderState order;
    order.planType = L"Pro";
    order.days = 30;
    order.count = 3;
    order.feeType = kFeePoints;
    order.category = kCategoryDevices;
    OrderRequest request = BuildOrderRequest(order, {});
    EXPECT_EQ(request.path, "/api/qtz/front_device_buy");
    EXPECT_EQ(request.params, L"&buy_type=1&type=Pro&day=30&quantity=3&fee_type=11");

    std::vector<DeviceRecord> devices(4);
    devices[0].id = L"12";
    devices[1].id = L"99";
    devices[2].id = L"34";
    devices[0].selected = devices[2].selected = true;
    order.category = kCategoryRenewal;
    order.days = 90;
    order.feeType = kFeeQr;
    request = BuildOrderRequest(order, devices);
    EXPECT_EQ(request.params, L"&buy_type=2&id=12,34,&type=Pro&day=90&fee_type=32");

    order.category = kCategoryPoints;
    order.rechargeKind = L"2";
    order.pointsText = L"600";
    order.feeType = kFeeWeb;
    request = BuildOrderRequest(order, devices);
    EXPECT_EQ(request.path, "/api/qtz/front_device_recharge");
    EXPECT_EQ(request.params, L"&type=2&price=600&fee_type=25");
}

TEST(OrderParameters, OnlyWebAddressesGoToTheBrowser)
{
    EXPECT_TRUE(IsWebPaymentAddress(L"http://127.0.0.1:8080/pay/web?display_order_id=KV1"));
    EXPECT_TRUE(IsWebPaymentAddress(L"https://pay.example/x"));
    for (const wchar_t* bad :
        { L"", L"file:///etc/passwd", L"javascript:alert(1)", L"/pay/web", L" http://x" })
        EXPECT_FALSE(IsWebPaymentAddress(bad)) << bad;
}

} // namespace
