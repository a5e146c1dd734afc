#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "service/World.h"

namespace service {

// One device kind on sale; texts UTF-8.
struct SalePlan {
    std::string type;
    std::string pix;
    std::string memory;
    std::string core;
    std::string desc;
    std::vector<std::pair<int, int>> prices; // days -> points, in the order the list sends them
};

inline constexpr int kOrderFailed = 11;
inline constexpr int kOrderWaiting = 12;
inline constexpr int kOrderProcessing = 13;
inline constexpr int kOrderDone = 14;
inline constexpr int kOrderRefunded = 15;

// One order of a user, with what its payment brings.
struct OrderEntry {
    std::string displayId;
    std::int64_t userId = 0;
    int category = 0; // 0 new devices, 1 points, 2 renewal
    int feeType = 0; // 11 points, 25 web page, 32 QR code
    int status = kOrderWaiting;
    std::string productName; // plan type; empty for a points recharge
    int days = 0;
    std::string amount; // yuan (or points for orders paid with points), as the list shows it
    std::int64_t createdAt = 0;
    std::string payText; // what the QR code carries
    // What settling it does.
    std::string planType;
    int quantity = 0;
    std::vector<std::string> deviceIds;
    long long points = 0;
};

// One movement of a user's points.
struct MoneyChange {
    std::int64_t id = 0;
    std::int64_t userId = 0;
    std::int64_t createdAt = 0;
    std::string name; // UTF-8
    std::string diff; // "+600", "-300"
    int type = 0; // -1 gift, 1 purchase, 2 refund of goods, 4 recharge, 5 refund
};

// Plans, orders and point movements of the world.
class CommerceState : public DomainState {
public:
    void Seed(WorldKind kind) override;

    OrderEntry* FindOrder(const std::string& displayId);
    OrderEntry& AddOrder(OrderEntry order);
    void AddMoneyChange(std::int64_t userId, std::string name, long long diff, int type, std::int64_t at);
    const SalePlan* FindPlan(const std::string& type) const;

    std::vector<std::string> rechargePoints; // decimal texts
    std::vector<std::string> rechargeDiscounts; // yuan per point, parallel
    std::string rechargeLimit;
    std::vector<SalePlan> plans;
    std::vector<OrderEntry> orders;
    std::vector<MoneyChange> moneyChanges;
    std::int64_t nextOrder = 1;
    std::int64_t nextChange = 1;
};

CommerceState& Commerce(World& world);

// The user's points balance: the balance text of his account.
double PointsOf(World& world, std::int64_t userId);
void SetPointsOf(World& world, std::int64_t userId, double points);

// Yuan for n points: the best discount among the preset recharges n reaches.
double RechargeAmount(const CommerceState& state, long long points);

} // namespace service
