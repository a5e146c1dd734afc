#pragma once

// What other pages may ask of the purchase page.
class ICommerceActions {
public:
    virtual ~ICommerceActions() = default;
    virtual void StartPurchasePlanLoad() = 0;
    virtual void StartRechargePlanLoad() = 0;
    // Renewal of the devices whose `selected` flag is set.
    virtual void StartRenewal() = 0;
};
