#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// One preset points recharge.
struct RechargePlan {
    std::wstring points; // points bought, as the service sent them
    std::wstring amountText; // price in yuan: points x discount, as a short amount
    std::wstring discount; // yuan per point, as the service sent it
};

// One device kind on sale.
struct PurchasePlan {
    std::wstring type; // also the bind_plan_type of devices bought under it
    std::wstring pix;
    std::wstring memory;
    std::wstring core;
    std::wstring desc;
    std::map<int, int> prices; // days -> points, by days ascending; first price of a day wins
};

// What is bought and how it is paid.
inline constexpr int kCategoryDevices = 0;
inline constexpr int kCategoryPoints = 1;
inline constexpr int kCategoryRenewal = 2;
inline constexpr int kFeePoints = 11;
inline constexpr int kFeeWeb = 25;
inline constexpr int kFeeQr = 32;

// The user's current choice and the last order made from it. Reused for
// every order; each tile selection overwrites the members it owns.
struct OrderState {
    int category = kCategoryDevices;
    double unitPrice = 0;
    std::wstring pointsText;
    std::wstring rechargeKind = L"1"; // "1" a preset plan, "2" a custom number of points
    int count = 1;
    std::wstring planType;
    int days = 0;
    double total = 0;

    int feeType = kFeePoints;
    std::wstring displayOrderId;
    std::wstring payUrl;
    std::wstring qrImagePath; // empty when the last QR order brought no picture
    bool qrRefused = false; // the payment text could not be encoded
};

// One line of the record list.
struct RecordEntry {
    std::wstring date;
    std::wstring plan;
    std::wstring amount;
    std::wstring status;
    std::wstring description;
    std::wstring id;
};

// What one recharge plan load read.
struct RechargeOffer {
    std::vector<RechargePlan> plans;
    // Absent when the answer named none: the minimum in force stays.
    std::optional<int> minimum;
};

// The commerce feature's part of the ClientManager.
//
// The plan lists and the records are the window thread's: a load builds its
// own list and leaves it in its slot below (under `loadMutex`) before it
// reports, and the window swaps it in when it handles that report. So a
// click never meets a list that is being refilled.
struct CommerceMembers {
    std::vector<RechargePlan> rechargePlans;
    int rechargeMinimum = 0;
    std::vector<PurchasePlan> purchasePlans;

    OrderState order;
    std::vector<RecordEntry> records;

    // The results of the loads, handed over with their messages.
    std::mutex loadMutex;
    RechargeOffer loadedRecharge;
    std::vector<PurchasePlan> loadedPurchasePlans;
    std::vector<RecordEntry> loadedRecords;
};
