// The commerce tasks against korvana-service: the bytes each request sends,
// what the answers leave in the ClientManager, the messages reported, and
// answers that are no JSON, of the wrong types, "-1000" or dropped.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>

#include "account/Login.h"
#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "commerce/Order.h"
#include "commerce/PlanLoad.h"
#include "commerce/Records.h"
#include "net/ServiceCall.h"
#include "platform/Utf8.h"
#include "tests/support/PageOrder.h"
#include "tests/support/QrDecode.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/SignedInTest.h"

namespace {

using namespace korvana::test;

constexpr const char* kBuy = "/api/qtz/front_device_buy";
constexpr const char* kRecharge = "/api/qtz/front_device_recharge";

std::string Envelope(const nlohmann::json& payload)
{
    return nlohmann::json { { "status", true }, { "message", payload.dump() } }.dump();
}

class CommerceTaskTest : public SignedInTest {
protected:
    CommerceTaskTest()
        : SignedInTest([](UINT msg, WPARAM) { return msg != msg::UM_RECORDS; }, SignInAt::Test)
    {
    }

    void SignIn()
    {
        SignedInTest::SignIn();
        control().Get("/__test/commerce/balance?user_id=42&points=1000");
        control().ClearLog();
    }

    RecordedMessage Last()
    {
        auto messages = window->Messages();
        EXPECT_FALSE(messages.empty());
        return messages.empty() ? RecordedMessage {} : messages.back();
    }

    RecordedMessage Order(int category, int feeType)
    {
        client->commerce.order.category = category;
        client->commerce.order.feeType = feeType;
        OrderRequest request = BuildOrderRequest(client->commerce.order, client->devices.devices);
        CreateOrder(*client, request);
        return Last();
    }

    void Query()
    {
        std::wstring id = client->commerce.order.displayOrderId;
        QueryOrder(*client, id);
    }

    double Balance()
    {
        const RawResponse answer = control().Get("/__test/commerce/balance?user_id=42");
        return nlohmann::json::parse(answer.body)["points"].get<double>();
    }
};

TEST_F(CommerceTaskTest, TheRechargePlansAreReadFromAnEmptyRequest)
{
    SignIn();
    LoadRechargePlans(*client, 0);
    AdoptRechargePlans(client->commerce);
    RecordedMessage m = Last();
    EXPECT_EQ(m.msg, msg::UM_RECHARGE_ARGS);
    EXPECT_EQ(m.wParam, msg::kRechargeArgsLoaded);
    EXPECT_EQ(m.text, L"");
    auto log = control().RequestsTo("/api/qtz/front_device_recharge_args");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].body, "");
    const auto& plans = client->commerce.rechargePlans;
    ASSERT_EQ(plans.size(), 4u);
    EXPECT_EQ(plans[1].points, L"500");
    EXPECT_EQ(plans[1].amountText, L"45");
    EXPECT_EQ(plans[2].amountText, L"85");
    EXPECT_EQ(client->commerce.rechargeMinimum, 50);
}

TEST_F(CommerceTaskTest, ThePurchasePlansComeInServiceOrder)
{
    SignIn();
    LoadPurchasePlans(*client, 0);
    AdoptPurchasePlans(client->commerce);
    EXPECT_EQ(Last().wParam, msg::kBuyListLoaded);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_buy_list").at(0).body, "");
    const auto& plans = client->commerce.purchasePlans;
    ASSERT_EQ(plans.size(), 3u);
    EXPECT_EQ(plans[0].type, L"Lite");
    EXPECT_EQ(plans[0].desc, L"入门挂机");
    EXPECT_EQ(plans[0].prices.at(30), 100);
    EXPECT_EQ(plans[2].type, L"Max");
}

TEST_F(CommerceTaskTest, AFailedPlanLoadEmptiesItsListAndCarriesAText)
{
    SignIn();
    LoadPurchasePlans(*client, 0);
    AdoptPurchasePlans(client->commerce);
    ASSERT_FALSE(client->commerce.purchasePlans.empty());
    struct Case {
        nlohmann::json fault;
        std::wstring text;
    };
    const Case cases[] = {
        { { { "kind", "not_json" } }, L"获取设备套餐失败！" },
        { { { "kind", "wrong_types" } }, L"获取设备套餐失败！" },
        { { { "body", R"({"status":false,"message":"套餐维护中"})" } }, L"套餐维护中" },
        { { { "body", R"({"status":false,"message":"-1000"})" } }, L"-1000" },
        { { { "drop", true } }, kRequestFailedText },
    };
    for (const Case& c : cases) {
        nlohmann::json fault = c.fault;
        fault["path"] = "/api/qtz/front_device_buy_list";
        control().InjectFault(fault);
        LoadPurchasePlans(*client, 0);
        AdoptPurchasePlans(client->commerce);
        RecordedMessage m = Last();
        EXPECT_EQ(m.wParam, msg::kBuyListFailed) << fault.dump();
        EXPECT_EQ(m.text, c.text) << fault.dump();
        EXPECT_TRUE(client->commerce.purchasePlans.empty());
        control().ClearFaults();
    }
    control().InjectFault({ { "path", "/api/qtz/front_device_recharge_args" }, { "kind", "not_json" } });
    LoadRechargePlans(*client, 0);
    AdoptRechargePlans(client->commerce);
    EXPECT_EQ(Last().wParam, msg::kRechargeArgsFailed);
    EXPECT_EQ(Last().text, L"获取充值套餐失败！");
}

TEST_F(CommerceTaskTest, WithoutASessionThePlanLoadReportsTheExpiry)
{
    LoadRechargePlans(*client, 0);
    AdoptRechargePlans(client->commerce);
    EXPECT_EQ(Last().wParam, msg::kRechargeArgsFailed);
    EXPECT_EQ(Last().text, L"-1000");
}

TEST_F(CommerceTaskTest, APointsPurchaseSendsItsParametersInOrderAndSettlesAtOnce)
{
    SignIn();
    OrderState& order = client->commerce.order;
    order.planType = L"Lite";
    order.days = 30;
    order.count = 3;
    const double before = Balance();
    RecordedMessage m = Order(kCategoryDevices, kFeePoints);
    EXPECT_EQ(m.msg, msg::UM_ORDER);
    EXPECT_EQ(m.wParam, msg::kOrderPointsDone);
    auto log = control().RequestsTo(kBuy);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].body, "&buy_type=1&type=Lite&day=30&quantity=3&fee_type=11");
    EXPECT_EQ(Balance(), before - 300);
    EXPECT_FALSE(order.displayOrderId.empty());
    EXPECT_EQ(order.payUrl, L"");

    // Not enough points: the service's refusal is the text.
    control().Get("/__test/commerce/balance?user_id=42&points=10");
    m = Order(kCategoryDevices, kFeePoints);
    EXPECT_EQ(m.wParam, msg::kOrderFailed);
    EXPECT_EQ(m.text, L"积分不足，请先充值");
    EXPECT_EQ(Balance(), 10);
}

TEST_F(CommerceTaskTest, ARenewalNamesEveryChosenDeviceWithAFinalComma)
{
    SignIn();
    client->devices.devices.resize(3);
    client->devices.devices[0].id = L"12";
    client->devices.devices[1].id = L"13";
    client->devices.devices[2].id = L"34";
    client->devices.devices[0].selected = client->devices.devices[2].selected = true;
    client->commerce.order.planType = L"Pro";
    client->commerce.order.days = 90;
    Order(kCategoryRenewal, kFeeQr);
    auto log = control().RequestsTo(kBuy);
    ASSERT_EQ(log.size(), 1u);
    // The form encoding writes each comma as %2C.
    EXPECT_EQ(log[0].body, "&buy_type=2&id=12%2C34%2C&type=Pro&day=90&fee_type=32");
    // The demo user has 25 devices: 34 is none of his.
    EXPECT_EQ(Last().wParam, msg::kOrderFailed);
    EXPECT_EQ(Last().text, L"设备34不存在");

    // With 40 devices, 12 is a Lite and 34 a Pro: the service refuses the mix too.
    control().Post("/__test/devices/generate?user=42&count=40", "");
    EXPECT_EQ(Order(kCategoryRenewal, kFeeQr).text, L"批量续费的必须为同类型设备！");
}

TEST_F(CommerceTaskTest, RenewingWithPointsAddsTheDaysAndBuyingAddsDevices)
{
    SignIn();
    auto state = [&] { return nlohmann::json::parse(control().Get("/__test/devices/state?user=42").body); };
    auto timeLeft = [&](const std::string& id) {
        const nlohmann::json all = state();
        for (const auto& d : all["devices"])
            if (d["id"] == id)
                return d["time_left"].get<long long>();
        return -1LL;
    };
    const long long before12 = timeLeft("12"); // expired: 0
    const long long before15 = timeLeft("15");
    client->devices.devices.resize(2);
    client->devices.devices[0].id = L"12";
    client->devices.devices[1].id = L"15";
    client->devices.devices[0].selected = client->devices.devices[1].selected = true;
    client->commerce.order.planType = L"Lite";
    client->commerce.order.days = 30;
    const double balance = Balance();
    EXPECT_EQ(Order(kCategoryRenewal, kFeePoints).wParam, msg::kOrderPointsDone);
    EXPECT_EQ(Balance(), balance - 200);
    EXPECT_EQ(timeLeft("12"), before12 + 30 * 86400);
    EXPECT_EQ(timeLeft("15"), before15 + 30 * 86400);

    const std::size_t count = state()["devices"].size();
    client->commerce.order.count = 2;
    EXPECT_EQ(Order(kCategoryDevices, kFeePoints).wParam, msg::kOrderPointsDone);
    const auto devices = state()["devices"];
    ASSERT_EQ(devices.size(), count + 2);
    EXPECT_EQ(devices.back()["bind_plan_type"], "Lite");
    EXPECT_EQ(devices.back()["time_left"], 30 * 86400);
}

TEST_F(CommerceTaskTest, ACustomWebRechargeGivesThePaymentPageWhichPaysIt)
{
    SignIn();
    OrderState& order = client->commerce.order;
    order.rechargeKind = L"2";
    order.pointsText = L"600";
    RecordedMessage m = Order(kCategoryPoints, kFeeWeb);
    EXPECT_EQ(m.wParam, msg::kOrderAlipayCreated);
    EXPECT_EQ(control().RequestsTo(kRecharge).at(0).body, "&type=2&price=600&fee_type=25");
    const std::wstring prefix
        = L"http://127.0.0.1:" + std::to_wstring(service().port()) + L"/pay/web?display_order_id=";
    ASSERT_EQ(order.payUrl.rfind(prefix, 0), 0u) << Utf8OfWide(order.payUrl);
    EXPECT_EQ(order.payUrl.substr(prefix.size()), order.displayOrderId);

    Query();
    EXPECT_EQ(Last().wParam, msg::kOrderOtherState);
    EXPECT_EQ(Last().text, L"订单待支付");
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_query_order").at(0).body,
        "display_order_id=" + Utf8OfWide(order.displayOrderId));

    const double before = Balance();
    control().Get("/pay/web?display_order_id=" + Utf8OfWide(order.displayOrderId));
    EXPECT_EQ(Balance(), before + 600);
    Query();
    EXPECT_EQ(Last().wParam, msg::kOrderCompleted);
    EXPECT_EQ(Last().text, L"订单已完成！");
}

TEST_F(CommerceTaskTest, AQrOrderDrawsThePaymentTextIntoTheCacheFolder)
{
    SignIn();
    client->commerce.order.rechargeKind = L"1";
    client->commerce.order.pointsText = L"500";
    RecordedMessage m = Order(kCategoryPoints, kFeeQr);
    EXPECT_EQ(m.wParam, msg::kOrderWeChatCreated);
    EXPECT_EQ(control().RequestsTo(kRecharge).at(0).body, "&type=1&price=500&fee_type=32");
    const OrderState& order = client->commerce.order;
    const std::string path = Utf8OfWide(order.qrImagePath);
    EXPECT_EQ(path, GetLocalPaths().imageCache.narrow + Utf8OfWide(order.displayOrderId) + ".bmp");
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(DecodeQr(path), "KORVANA-PAY:" + Utf8OfWide(order.displayOrderId) + ":45");

    control().Post("/__test/commerce/pay?display_order_id=" + Utf8OfWide(order.displayOrderId), "");
    Query();
    EXPECT_EQ(Last().wParam, msg::kOrderCompleted);
}

TEST_F(CommerceTaskTest, QrAnswersWithoutPictureTooLongOrWithAnUnsafeIdStayInsideTheCache)
{
    SignIn();
    const OrderState& order = client->commerce.order;
    client->commerce.order.pointsText = L"100";

    control().InjectFault(
        { { "path", kRecharge }, { "times", 1 }, { "body", Envelope({ { "display_order_id", "KV9" } }) } });
    EXPECT_EQ(Order(kCategoryPoints, kFeeQr).wParam, msg::kOrderWeChatCreated);
    EXPECT_EQ(order.qrImagePath, L"");
    EXPECT_FALSE(order.qrRefused);

    control().InjectFault({ { "path", kRecharge }, { "times", 1 },
        { "body",
            Envelope({ { "display_order_id", "KV10" }, { "config", std::string(100 * 1024, 'Q') } }) } });
    EXPECT_EQ(Order(kCategoryPoints, kFeeQr).wParam, msg::kOrderWeChatCreated);
    EXPECT_EQ(order.qrImagePath, L"");
    EXPECT_TRUE(order.qrRefused);
    EXPECT_FALSE(std::filesystem::exists(GetLocalPaths().imageCache.narrow + "KV10.bmp"));

    control().InjectFault({ { "path", kRecharge }, { "times", 1 },
        { "body", Envelope({ { "display_order_id", "../../escape" }, { "config", "pay me" } }) } });
    EXPECT_EQ(Order(kCategoryPoints, kFeeQr).wParam, msg::kOrderWeChatCreated);
    const std::filesystem::path written(Utf8OfWide(order.qrImagePath));
    EXPECT_EQ(written.parent_path().string() + "/", GetLocalPaths().imageCache.narrow);
    EXPECT_EQ(DecodeQr(written.string()), "pay me");
    EXPECT_FALSE(std::filesystem::exists(folder().parent_path() / "escape.bmp"));
}

TEST_F(CommerceTaskTest, OrderFailuresAlwaysEndTheWaitWithAText)
{
    SignIn();
    client->commerce.order.pointsText = L"100";
    struct Case {
        nlohmann::json fault;
        WPARAM code;
        std::wstring text;
    };
    const Case cases[] = {
        { { { "kind", "not_json" } }, msg::kOrderFailed, L"服务返回的数据无法识别，请稍后重试。" },
        { { { "kind", "wrong_types" } }, msg::kOrderFailed, L"服务返回的数据无法识别，请稍后重试。" },
        { { { "body", R"({"status":false,"message":"-1000"})" } }, msg::kOrderFailed, L"-1000" },
        { { { "drop", true } }, msg::kOrderFailed, kRequestFailedText },
        // A success without an order would have left the window waiting.
        { { { "body", R"({"status":true,"message":""})" } }, msg::kOrderFailed,
            L"服务返回的数据无法识别，请稍后重试。" },
        { { { "body", R"({"status":true,"message":"[1]"})" } }, msg::kOrderFailed,
            L"服务返回的数据无法识别，请稍后重试。" },
    };
    for (const Case& c : cases) {
        nlohmann::json fault = c.fault;
        fault["path"] = kRecharge;
        control().InjectFault(fault);
        RecordedMessage m = Order(kCategoryPoints, kFeeWeb);
        EXPECT_EQ(m.wParam, c.code) << fault.dump();
        EXPECT_EQ(m.text, c.text) << fault.dump();
        control().ClearFaults();
    }
}

TEST_F(CommerceTaskTest, AQueryThatFailsReportsItsText)
{
    SignIn();
    client->commerce.order.displayOrderId = L"KV404";
    Query();
    EXPECT_EQ(Last().wParam, msg::kOrderQueryFailed);
    EXPECT_EQ(Last().text, L"订单不存在");
    control().InjectFault(
        { { "path", "/api/qtz/front_device_query_order" }, { "drop", true }, { "times", 1 } });
    Query();
    EXPECT_EQ(Last().text, kRequestFailedText);
    control().InjectFault({ { "path", "/api/qtz/front_device_query_order" }, { "times", 1 },
        { "body", Envelope({ { "x", 1 } }) } });
    Query();
    EXPECT_EQ(Last().wParam, msg::kOrderOtherState);
}

TEST_F(CommerceTaskTest, RecordsAreReadPageAfterPage)
{
    SignIn();
    // The demo user has 5 point movements; 25 more make three pages.
    control().Post("/__test/commerce/records?user_id=42&count=25", "");
    LoadPointRecords(*client, 0);
    AdoptRecords(client->commerce);
    RecordedMessage m = Last();
    EXPECT_EQ(m.msg, msg::UM_RECORDS);
    EXPECT_EQ(m.wParam, msg::kRecordsRead);
    EXPECT_EQ(m.lParam, 0);
    EXPECT_EQ(client->commerce.records.size(), 30u);
    auto log = control().RequestsTo("/api/qtz/front_device_money_change_list");
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(InLoadOrder({ log[0].body, log[1].body, log[2].body }),
        (std::vector<std::string> { "&type=14&page_size=10&page_index=1",
            "&type=14&page_size=10&page_index=2", "&type=14&page_size=10&page_index=3" }));
    EXPECT_EQ(client->commerce.records.back().description, L"赠送");
    EXPECT_EQ(client->commerce.records.back().plan, L"注册赠送");

    LoadOrderRecords(*client, 0);

    AdoptRecords(client->commerce);
    EXPECT_EQ(client->commerce.records.size(), 28u);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_order_list").size(), 3u);
    EXPECT_EQ(client->commerce.records.back().plan, L"钱包充值");
    EXPECT_EQ(client->commerce.records.back().status, L"已完成");
    EXPECT_EQ(client->commerce.records.back().description, L"微信扫码");
}

TEST_F(CommerceTaskTest, AFailedFirstPageEndsWithAnEmptyListAndAHugePageCountIsBounded)
{
    SignIn();
    LoadPointRecords(*client, 0);
    AdoptRecords(client->commerce);
    ASSERT_FALSE(client->commerce.records.empty());
    control().InjectFault({ { "path", "/api/qtz/front_device_money_change_list" }, { "kind", "not_json" } });
    LoadPointRecords(*client, 0);
    AdoptRecords(client->commerce);
    EXPECT_TRUE(client->commerce.records.empty());
    EXPECT_EQ(Last().wParam, msg::kRecordsRead);
    control().ClearFaults();
    control().ClearLog();
    // A service that claims a billion pages is asked a bounded number of times.
    control().InjectFault({ { "path", "/api/qtz/front_device_order_list" },
        { "body",
            Envelope(
                { { "page_index", 1 }, { "pages", 1000000000 }, { "data", { { { "status", 14 } } } } }) } });
    LoadOrderRecords(*client, 0);
    AdoptRecords(client->commerce);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_order_list").size(),
        static_cast<std::size_t>(kMaxRecordPages));
    EXPECT_EQ(client->commerce.records.size(), static_cast<std::size_t>(kMaxRecordPages));
}

} // namespace
