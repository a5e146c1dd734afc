#pragma once

// The goods of the purchase page, each the page of TabOfGoods it shows.
enum class Goods {
    Devices = 0, // 添加设备
    Points = 1, // 会员积分
    Renewal = 2, // the renewal of the selected devices
};

// What other pages may ask of the purchase page.
class ICommerceActions {
public:
    virtual ~ICommerceActions() = default;
    virtual void StartPurchasePlanLoad() = 0;
    virtual void StartRechargePlanLoad() = 0;
    // Renewal of the devices whose `selected` flag is set.
    virtual void StartRenewal() = 0;
    // A click on 添加设备 (Devices) or 会员积分 (Points) in the main menu:
    // goodsMode, the page of TabOfGoods, and an order quantity of 1.
    virtual void SelectGoods(Goods goods) = 0;
    // 添加设备 became selected: the first plan is the chosen one again.
    virtual void ResetChosenPlan() = 0;
    // Brings the purchase page forward with these goods, as the menu entry
    // would: Devices and Renewal through 添加设备 (Renewal then renews the
    // selected devices), Points through 会员积分.
    virtual void ShowGoods(Goods goods) = 0;
    // True while TabOfGoods shows the renewal.
    virtual bool ShowsRenewal() const = 0;
};
