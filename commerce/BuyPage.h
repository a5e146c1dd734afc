#pragma once

#include <string>

#include "app/Page.h"
#include "app/TaskKind.h"
#include "app/actions/CommerceActions.h"
#include "commerce/BuyLayout.h"
#include "commerce/OrderFlow.h"
#include "commerce/RecordList.h"

class IShell;

namespace DuiLib {
class CCheckBoxUI;
class CEditUI;
class CLabelUI;
class CTabLayoutUI;
class CTileLayoutUI;
} // namespace DuiLib

// The purchase page ("BuyTab", page 3 of TabOfMain): new devices, points and
// renewals on the pages of TabOfGoods and the amount to pay; the three
// payment buttons and the QR page are its OrderFlow's, the record page its
// RecordList's.
class BuyPage final : public IPage, public ICommerceActions {
public:
    explicit BuyPage(IShell& shell);

    std::vector<std::wstring> Routes() const override { return { L"BuyTab" }; }
    std::vector<UINT> Messages() const override;
    bool Bind(DuiLib::CPaintManagerUI& paint) override;
    bool OnNotify(DuiLib::TNotifyUI& notification) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSignedIn() override;
    void OnSigningOut() override;
    void OnSignedOut() override;

    void StartPurchasePlanLoad() override;
    void StartRechargePlanLoad() override;
    void StartRenewal() override;
    void SelectGoods(Goods goods) override;
    void ResetChosenPlan() override;
    void ShowGoods(Goods goods) override;
    bool ShowsRenewal() const override;

    int GoodsMode() const { return m_goodsMode; }
    int ChosenPlan() const { return m_chosenPlan; }
    // Purchase plan loads that have reported (either way), for tests.
    int FinishedPlanLoads() const { return m_finishedPlanLoads; }

    // The pages of TabOfBuy and TabOfGoods.
    static constexpr int kGoodsPage = kBuyGoodsPage;
    static constexpr int kQrPage = kBuyQrPage;
    static constexpr int kRecordPage = kBuyRecordPage;
    static constexpr int kDevicesGoods = kDevicesGoodsPage;
    static constexpr int kPointsGoods = kPointsGoodsPage;
    static constexpr int kRenewalGoods = kRenewalGoodsPage;

private:
    bool OnSelectChanged(DuiLib::TNotifyUI& notification);
    bool OnClick(const std::wstring& name);
    void OnPlanMessage(UINT msg, WPARAM code, const std::wstring& text);

    void BuildRechargeTiles();
    void BuildPlanTiles();
    void BuildPriceTiles(int plan);
    void BuildRenewalPage();
    void UpdatePaymentAmount(bool writeCount = true);

    void OnCustomPointsText();
    void OnCustomPointsLeft();
    void OnQuantityText();
    void SetCustomPoints(const std::wstring& text);
    void Pay(int feeType);

    IShell& m_shell;
    OrderFlow m_orders;
    RecordList m_records;
    DuiLib::CTabLayoutUI* m_tabOfBuy = nullptr;
    DuiLib::CTabLayoutUI* m_tabOfGoods = nullptr;
    DuiLib::CTileLayoutUI* m_tileOfCharge = nullptr;
    DuiLib::CTileLayoutUI* m_tileOfMembership = nullptr;
    DuiLib::CTileLayoutUI* m_tileOfPrice = nullptr;
    DuiLib::CTileLayoutUI* m_tileOfDeviceCharge = nullptr;
    DuiLib::CTileLayoutUI* m_tileOfDevicePrice = nullptr;
    DuiLib::CEditUI* m_buyCount = nullptr;
    DuiLib::CEditUI* m_invitationCode = nullptr;
    DuiLib::CLabelUI* m_payment = nullptr;
    // Exist once the recharge tiles are built.
    DuiLib::CEditUI* m_customPoints = nullptr;
    DuiLib::CCheckBoxUI* m_customTile = nullptr;

    int m_goodsMode = kPointsGoods;
    int m_chosenPlan = 0;
    // False while the renewal page found no plan of the devices' type.
    bool m_renewalPlanFound = false;
    // Each plan list has its own members; a load asked for while one of its
    // kind runs waits and runs once after it.
    TaskKind m_purchasePlanTasks { TaskKind::Policy::RunOnceAfter };
    TaskKind m_rechargePlanTasks { TaskKind::Policy::RunOnceAfter };
    int m_finishedPlanLoads = 0;
};
