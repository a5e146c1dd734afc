#pragma once

// What other pages may ask of the purchase page.
class ICommerceActions {
public:
    virtual ~ICommerceActions() = default;
    virtual void StartPurchasePlanLoad() = 0;
    virtual void StartRechargePlanLoad() = 0;
    // Renewal of the devices whose `selected` flag is set.
    virtual void StartRenewal() = 0;
    // A click on 添加设备 (0) or 会员积分 (1) in the main menu: goodsMode,
    // the page of TabOfGoods, and an order quantity of 1.
    virtual void SelectGoods(int goodsMode) = 0;
    // 添加设备 became selected: the first plan is the chosen one again.
    virtual void ResetChosenPlan() = 0;
};
