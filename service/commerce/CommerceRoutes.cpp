#include "service/commerce/CommerceRoutes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>
#include <regex>
#include <stdexcept>

#include "service/Envelope.h"
#include "service/Server.h"
#include "service/commerce/CommerceState.h"
#include "service/commerce/DeviceLink.h"

namespace service {
namespace {

    using nlohmann::ordered_json;

    constexpr int kPageSizeLimit = 100;
    constexpr int kMaxQuantity = 100;

    bool IsCount(const std::string& text)
    {
        static const std::regex pattern("[1-9][0-9]{0,8}");
        return std::regex_match(text, pattern);
    }

    std::string Yuan(double value)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", std::round(value * 100.0) / 100.0);
        std::string out = text;
        while (!out.empty() && out.back() == '0')
            out.pop_back();
        if (!out.empty() && out.back() == '.')
            out.pop_back();
        return out;
    }

    std::int64_t Now()
    {
        return static_cast<std::int64_t>(std::time(nullptr));
    }

    // The address of the payment page on this service, as the client reached it.
    std::string PaymentPageUrl(const Call& call, const std::string& displayId)
    {
        std::string host = call.request.Header("Host");
        if (host.empty())
            host = "127.0.0.1";
        return "http://" + host + "/pay/web?display_order_id=" + displayId;
    }

    // What a paid order brings: points, new devices or more days.
    void Settle(World& world, OrderEntry& order)
    {
        if (order.status == kOrderDone)
            return;
        order.status = kOrderDone;
        CommerceState& state = Commerce(world);
        if (order.category == 1) {
            SetPointsOf(
                world, order.userId, PointsOf(world, order.userId) + static_cast<double>(order.points));
            state.AddMoneyChange(order.userId, "钱包充值", order.points, 4, Now());
        } else if (order.category == 0) {
            AddRentedDevices(world, order.userId, order.planType, order.days, order.quantity);
        } else {
            ExtendDevices(world, order.userId, order.deviceIds, order.days);
        }
    }

    // Answers a new order by its payment kind: points settle at once, the other
    // two wait for the payment page or the QR code.
    void AnswerOrder(Call& call, OrderEntry order, long long points, const std::string& recordName)
    {
        CommerceState& state = Commerce(call.world);
        order.userId = call.userId;
        order.createdAt = Now();
        if (order.feeType == 11) {
            const double balance = PointsOf(call.world, call.userId);
            if (balance < static_cast<double>(points)) {
                call.Fail("积分不足，请先充值");
                return;
            }
            SetPointsOf(call.world, call.userId, balance - static_cast<double>(points));
            state.AddMoneyChange(
                call.userId, recordName, -points, order.category == 2 ? 3 : 1, order.createdAt);
            OrderEntry& stored = state.AddOrder(std::move(order));
            Settle(call.world, stored);
            call.Succeed({ { "display_order_id", stored.displayId }, { "config", "" } });
            return;
        }
        if (order.feeType != 25 && order.feeType != 32) {
            call.Fail("不支持的支付方式");
            return;
        }
        OrderEntry& stored = state.AddOrder(std::move(order));
        if (stored.feeType == 25) {
            call.Succeed({ { "display_order_id", stored.displayId },
                { "config", PaymentPageUrl(call, stored.displayId) } });
            return;
        }
        stored.payText = "KORVANA-PAY:" + stored.displayId + ":" + stored.amount;
        call.Succeed({ { "display_order_id", stored.displayId }, { "config", stored.payText } });
    }

    void RechargeArgs(Call& call)
    {
        const CommerceState& state = Commerce(call.world);
        call.Succeed({ { "price", state.rechargePoints }, { "discount", state.rechargeDiscounts },
            { "limit", state.rechargeLimit } });
    }

    void BuyList(Call& call)
    {
        ordered_json list = ordered_json::array();
        for (const SalePlan& plan : Commerce(call.world).plans) {
            ordered_json prices = ordered_json::object();
            for (const auto& [days, points] : plan.prices)
                prices[std::to_string(days)] = std::to_string(points);
            list.push_back({ { "type", UnicodeEscaped(plan.type) }, { "pix", UnicodeEscaped(plan.pix) },
                { "memory", UnicodeEscaped(plan.memory) }, { "core", UnicodeEscaped(plan.core) },
                { "desc", plan.desc }, { "price", prices } });
        }
        call.Succeed(list);
    }

    void Buy(Call& call)
    {
        const CommerceState& state = Commerce(call.world);
        const SalePlan* plan = state.FindPlan(call.Param("type"));
        if (!plan) {
            call.Fail("设备类型不存在");
            return;
        }
        const std::string dayText = call.Param("day");
        const auto price = std::find_if(plan->prices.begin(), plan->prices.end(),
            [&](const auto& p) { return std::to_string(p.first) == dayText; });
        if (price == plan->prices.end()) {
            call.Fail("套餐不存在");
            return;
        }
        OrderEntry order;
        order.feeType = std::atoi(call.Param("fee_type").c_str());
        order.productName = plan->type;
        order.planType = plan->type;
        order.days = price->first;
        const std::string buyType = call.Param("buy_type");
        if (buyType == "1") {
            const std::string quantity = call.Param("quantity");
            if (!IsCount(quantity) || std::atoi(quantity.c_str()) > kMaxQuantity) {
                call.Fail("购买数量不正确");
                return;
            }
            order.category = 0;
            order.quantity = std::atoi(quantity.c_str());
        } else if (buyType == "2") {
            order.category = 2;
            const std::string ids = call.Param("id");
            std::size_t start = 0;
            while (start < ids.size()) {
                std::size_t comma = ids.find(',', start);
                if (comma == std::string::npos)
                    comma = ids.size();
                if (comma > start)
                    order.deviceIds.push_back(ids.substr(start, comma - start));
                start = comma + 1;
            }
            if (order.deviceIds.empty()) {
                call.Fail("请选择续费设备");
                return;
            }
            for (const std::string& id : order.deviceIds) {
                if (!DevicePlanType(call.world, call.userId, id)) {
                    call.Fail("设备" + id + "不存在");
                    return;
                }
            }
            for (const std::string& id : order.deviceIds) {
                if (*DevicePlanType(call.world, call.userId, id) != plan->type) {
                    call.Fail("批量续费的必须为同类型设备！");
                    return;
                }
            }
            order.quantity = static_cast<int>(order.deviceIds.size());
        } else {
            call.Fail("购买类型不正确");
            return;
        }
        const long long points = static_cast<long long>(price->second) * order.quantity;
        order.amount = std::to_string(points);
        const std::string name
            = plan->type + (order.category == 2 ? "设备续费 " : "设备 ") + std::to_string(order.days) + "天";
        AnswerOrder(call, std::move(order), points, name);
    }

    void Recharge(Call& call)
    {
        const CommerceState& state = Commerce(call.world);
        const std::string kind = call.Param("type");
        const std::string price = call.Param("price");
        if (!IsCount(price)) {
            call.Fail("充值积分不正确");
            return;
        }
        const long long points = std::atoll(price.c_str());
        if (kind == "1") {
            if (std::find(state.rechargePoints.begin(), state.rechargePoints.end(), price)
                == state.rechargePoints.end()) {
                call.Fail("充值套餐不存在");
                return;
            }
        } else if (kind == "2") {
            if (points < std::atoll(state.rechargeLimit.c_str())) {
                call.Fail("自定义积分最低为" + state.rechargeLimit);
                return;
            }
        } else {
            call.Fail("充值类型不正确");
            return;
        }
        OrderEntry order;
        order.category = 1;
        order.feeType = std::atoi(call.Param("fee_type").c_str());
        if (order.feeType == 11) {
            call.Fail("积分充值请使用支付宝或微信支付");
            return;
        }
        order.points = points;
        order.amount = Yuan(RechargeAmount(state, points));
        AnswerOrder(call, std::move(order), 0, std::string());
    }

    void QueryOrder(Call& call)
    {
        OrderEntry* order = Commerce(call.world).FindOrder(call.Param("display_order_id"));
        if (!order || order->userId != call.userId) {
            call.Fail("订单不存在");
            return;
        }
        call.Succeed({ { "status", std::to_string(order->status) } });
    }

    // One page of a user's records, newest first.
    template <class Entry, class Write>
    void RecordPage(Call& call, const std::vector<Entry>& all, Write write)
    {
        std::vector<const Entry*> mine;
        for (const Entry& entry : all) {
            if (entry.userId == call.userId)
                mine.push_back(&entry);
        }
        std::stable_sort(mine.begin(), mine.end(),
            [](const Entry* a, const Entry* b) { return a->createdAt > b->createdAt; });
        int size = std::atoi(call.Param("page_size").c_str());
        size = std::clamp(size, 1, kPageSizeLimit);
        int index = std::max(1, std::atoi(call.Param("page_index").c_str()));
        const int pages = static_cast<int>((mine.size() + size - 1) / size);
        ordered_json data = ordered_json::array();
        for (std::size_t i = static_cast<std::size_t>(index - 1) * size;
             i < mine.size() && data.size() < static_cast<std::size_t>(size); ++i)
            data.push_back(write(*mine[i]));
        call.Succeed({ { "page_index", index }, { "pages", pages }, { "data", data } });
    }

    void MoneyChangeList(Call& call)
    {
        RecordPage(call, Commerce(call.world).moneyChanges, [](const MoneyChange& change) {
            return ordered_json { { "id", std::to_string(change.id) },
                { "create_at", std::to_string(change.createdAt) }, { "name", change.name },
                { "diff", change.diff }, { "type", change.type } };
        });
    }

    void OrderList(Call& call)
    {
        RecordPage(call, Commerce(call.world).orders, [](const OrderEntry& order) {
            return ordered_json { { "display_order_id", order.displayId },
                { "create_at", std::to_string(order.createdAt) },
                { "product_name", UnicodeEscaped(order.productName) },
                { "operate", order.days ? std::to_string(order.days) : std::string() },
                { "amount", order.amount }, { "status", order.status }, { "type", order.feeType } };
        });
    }

    // The web payment page: opening it pays the order.
    void PaymentPage(Call& call)
    {
        OrderEntry* order = Commerce(call.world).FindOrder(call.Param("display_order_id"));
        call.reply.contentType = "text/html; charset=utf-8";
        if (!order) {
            call.reply.status = 404;
            call.reply.body = "<!DOCTYPE html><html><body><h1>订单不存在</h1></body></html>";
            return;
        }
        Settle(call.world, *order);
        call.reply.body = "<!DOCTYPE html><html><head><meta "
                          "charset=\"utf-8\"><title>支付完成</title></head><body><h1>支付完成</h1><p>订单 "
            + order->displayId + " 已支付 " + order->amount + " 元。</p></body></html>";
    }

} // namespace

void RegisterCommerceRoutes(Server& server)
{
    server.world().Add<CommerceState>();
    const RouteOptions session { .session = true };
    server.AddCall("/api/qtz/front_device_recharge_args", session, RechargeArgs);
    server.AddCall("/api/qtz/front_device_buy_list", session, BuyList);
    server.AddCall("/api/qtz/front_device_buy", session, Buy);
    server.AddCall("/api/qtz/front_device_recharge", session, Recharge);
    server.AddCall("/api/qtz/front_device_query_order", session, QueryOrder);
    server.AddCall("/api/qtz/front_device_money_change_list", session, MoneyChangeList);
    server.AddCall("/api/qtz/front_device_order_list", session, OrderList);
    server.AddCall("/pay/web", {}, PaymentPage);

    // ?display_order_id=: the order is paid (as scanning its QR code would).
    server.AddControl("commerce/pay", [](Control& c) {
        OrderEntry* order = Commerce(c.server.world()).FindOrder(c.Query("display_order_id"));
        if (!order)
            throw std::invalid_argument("no such order");
        Settle(c.server.world(), *order);
        c.Json({ { "display_order_id", order->displayId }, { "status", order->status } });
    });
    // ?user_id=&points=: sets a balance; without points it is only read.
    server.AddControl("commerce/balance", [](Control& c) {
        const std::int64_t user = std::atoll(c.Query("user_id").c_str());
        if (const std::string points = c.Query("points"); !points.empty())
            SetPointsOf(c.server.world(), user, std::atof(points.c_str()));
        c.Json({ { "user_id", user }, { "points", PointsOf(c.server.world(), user) } });
    });
    // ?user_id=&count=: that many more point records and orders, one a minute.
    server.AddControl("commerce/records", [](Control& c) {
        CommerceState& state = Commerce(c.server.world());
        const std::int64_t user = std::atoll(c.Query("user_id").c_str());
        const int count = std::clamp(std::atoi(c.Query("count").c_str()), 0, 100000);
        const std::int64_t start = 1793610424 + 10 * 86400; // after the demo history
        for (int i = 0; i < count; ++i) {
            state.AddMoneyChange(user, "记录" + std::to_string(i + 1), i % 2 ? -(i + 1) : i + 1,
                i % 2 ? 1 : -1, start + 60 * i);
            OrderEntry order;
            order.userId = user;
            order.category = i % 2 ? 0 : 1;
            order.feeType = i % 2 ? 25 : 32;
            order.status = kOrderDone;
            order.productName = i % 2 ? "Lite" : "";
            order.days = i % 2 ? 30 : 0;
            order.amount = std::to_string(10 * (i + 1));
            order.createdAt = start + 60 * i;
            state.AddOrder(std::move(order));
        }
        c.Json({ { "user_id", user }, { "count", count } });
    });
    // Body: a JSON array of plans as the buy list sends them, or
    // {"recharge": {"price": [...], "discount": [...], "limit": "..."}}.
    server.AddControl("commerce/plans", [](Control& c) {
        CommerceState& state = Commerce(c.server.world());
        const nlohmann::json body = nlohmann::json::parse(c.request.body);
        if (body.is_object() && body.contains("recharge")) {
            const nlohmann::json& r = body.at("recharge");
            state.rechargePoints = r.at("price").get<std::vector<std::string>>();
            state.rechargeDiscounts = r.at("discount").get<std::vector<std::string>>();
            state.rechargeLimit = r.at("limit").get<std::string>();
        } else {
            state.plans.clear();
            for (const nlohmann::json& p : body) {
                SalePlan plan;
                plan.type = p.at("type").get<std::string>();
                plan.desc = p.value("desc", "");
                for (const auto& [days, points] : p.at("price").items())
                    plan.prices.emplace_back(
                        std::atoi(days.c_str()), std::atoi(points.get<std::string>().c_str()));
                state.plans.push_back(std::move(plan));
            }
        }
        c.Json({ { "ok", true } });
    });
}

} // namespace service
