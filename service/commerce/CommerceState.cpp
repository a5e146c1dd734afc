#include "service/commerce/CommerceState.h"

#include "service/account/AccountState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace service {

namespace {

    // 2026-11-02 09:07:04 UTC: the first of the demo's records.
    constexpr std::int64_t kDemoStart = 1793610424;
    constexpr std::int64_t kDay = 86400;

} // namespace

void CommerceState::Seed(WorldKind kind)
{
    rechargePoints.clear();
    rechargeDiscounts.clear();
    rechargeLimit.clear();
    plans.clear();
    orders.clear();
    moneyChanges.clear();
    nextOrder = 1;
    nextChange = 1;
    if (kind != WorldKind::Demo)
        return;
    rechargePoints = { "100", "500", "1000", "3000" };
    rechargeDiscounts = { "0.1", "0.09", "0.085", "0.08" };
    rechargeLimit = "50";
    plans = {
        { "Lite", "720x1280", "2G", "4", "入门挂机", { { 1, 5 }, { 7, 30 }, { 30, 100 }, { 90, 270 } } },
        { "Pro", "1080x1920", "4G", "8", "流畅多开", { { 1, 8 }, { 7, 50 }, { 30, 180 }, { 90, 500 } } },
        { "Max", "1080x2340", "8G", "8", "旗舰游戏", { { 7, 80 }, { 30, 300 }, { 90, 840 } } },
    };

    // User 42's history: a gift at sign-up, a recharge, purchases and a refund.
    AddMoneyChange(42, "注册赠送", 200, -1, kDemoStart);
    AddMoneyChange(42, "钱包充值", 1000, 4, kDemoStart + kDay + 3600);
    AddMoneyChange(42, "Pro设备 30天", -180, 1, kDemoStart + 2 * kDay + 7322);
    AddMoneyChange(42, "Lite设备续费 30天", -100, 3, kDemoStart + 5 * kDay + 40000);
    AddMoneyChange(42, "商品退款", 80, 2, kDemoStart + 6 * kDay + 999);
    OrderEntry recharge;
    recharge.userId = 42;
    recharge.category = 1;
    recharge.feeType = 32;
    recharge.status = kOrderDone;
    recharge.amount = "90";
    recharge.points = 1000;
    recharge.createdAt = kDemoStart + kDay + 3500;
    AddOrder(recharge);
    OrderEntry buy;
    buy.userId = 42;
    buy.category = 0;
    buy.feeType = 25;
    buy.status = kOrderDone;
    buy.productName = "Pro";
    buy.days = 30;
    buy.amount = "180";
    buy.createdAt = kDemoStart + 2 * kDay + 7300;
    AddOrder(buy);
    OrderEntry waiting = buy;
    waiting.status = kOrderWaiting;
    waiting.feeType = 32;
    waiting.productName = "Max";
    waiting.days = 7;
    waiting.amount = "80";
    waiting.createdAt = kDemoStart + 7 * kDay + 1234;
    AddOrder(waiting);
}

OrderEntry* CommerceState::FindOrder(const std::string& displayId)
{
    for (OrderEntry& order : orders) {
        if (order.displayId == displayId)
            return &order;
    }
    return nullptr;
}

OrderEntry& CommerceState::AddOrder(OrderEntry order)
{
    if (order.displayId.empty()) {
        char id[32];
        std::snprintf(id, sizeof id, "KV%08lld", static_cast<long long>(nextOrder));
        order.displayId = id;
    }
    ++nextOrder;
    orders.push_back(std::move(order));
    return orders.back();
}

void CommerceState::AddMoneyChange(
    std::int64_t userId, std::string name, long long diff, int type, std::int64_t at)
{
    MoneyChange change;
    change.id = nextChange++;
    change.userId = userId;
    change.createdAt = at;
    change.name = std::move(name);
    change.diff = (diff > 0 ? "+" : "") + std::to_string(diff);
    change.type = type;
    moneyChanges.push_back(std::move(change));
}

const SalePlan* CommerceState::FindPlan(const std::string& type) const
{
    for (const SalePlan& plan : plans) {
        if (plan.type == type)
            return &plan;
    }
    return nullptr;
}

CommerceState& Commerce(World& world)
{
    return world.Get<CommerceState>();
}

double PointsOf(World& world, std::int64_t userId)
{
    const UserRecord* user = Accounts(world).FindById(userId);
    return user ? std::atof(user->money.c_str()) : 0.0;
}

void SetPointsOf(World& world, std::int64_t userId, double points)
{
    UserRecord* user = Accounts(world).FindById(userId);
    if (!user)
        return;
    // The balance text as the user information sends it: at most two decimals.
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", std::round(points * 100.0) / 100.0);
    std::string money = text;
    while (money.back() == '0')
        money.pop_back();
    if (money.back() == '.')
        money.pop_back();
    user->money = money == "-0" ? "0" : money;
}

double RechargeAmount(const CommerceState& state, long long points)
{
    double rate = 1.0;
    for (std::size_t i = 0; i < state.rechargePoints.size() && i < state.rechargeDiscounts.size(); ++i) {
        if (std::atoll(state.rechargePoints[i].c_str()) <= points)
            rate = std::min(rate, std::atof(state.rechargeDiscounts[i].c_str()));
    }
    return static_cast<double>(points) * rate;
}

} // namespace service
