#pragma once

#include <string>

#include "app/Page.h"
#include "app/TaskKind.h"
#include "app/actions/CommerceActions.h"

class IShell;

namespace DuiLib {
class CCheckBoxUI;
class CControlUI;
class CEditUI;
class CLabelUI;
class CListUI;
class COptionUI;
class CTabLayoutUI;
class CTileLayoutUI;
}  // namespace DuiLib

// The purchase page ("BuyTab", page 3 of TabOfMain): new devices, points and
// renewals on the pages of TabOfGoods, the amount to pay, the three payment
// buttons, the QR page and the record page.
class BuyPage final : public IPage, public ICommerceActions {
public:
    explicit BuyPage(IShell& shell);

    std::vector<std::wstring> Routes() const override { return {L"BuyTab"}; }
    std::vector<UINT> Messages() const override;
    bool Bind(DuiLib::CPaintManagerUI& paint) override;
    bool OnNotify(DuiLib::TNotifyUI& notification) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSignedOut() override;

    void StartPurchasePlanLoad() override;
    void StartRechargePlanLoad() override;
    void StartRenewal() override;
    void SelectGoods(int goodsMode) override;
    void ResetChosenPlan() override;

    int GoodsMode() const { return m_goodsMode; }
    int ChosenPlan() const { return m_chosenPlan; }
    // Purchase plan loads that have reported (either way), for tests.
    int FinishedPlanLoads() const { return m_finishedPlanLoads; }

    // The pages of TabOfBuy and TabOfGoods.
    static constexpr int kGoodsPage = 0;
    static constexpr int kQrPage = 1;
    static constexpr int kRecordPage = 2;
    static constexpr int kDevicesGoods = 0;
    static constexpr int kPointsGoods = 1;
    static constexpr int kRenewalGoods = 2;

    // The timer that asks again for the state of an order paid outside the
    // client, and how often it asks.
    static constexpr unsigned kOrderPollTimer = 1241;
    static constexpr unsigned kOrderPollPeriodMs = 3000;
    static constexpr int kOrderPollCount = 100;

private:
    bool OnSelectChanged(DuiLib::TNotifyUI& notification);
    bool OnClick(const std::wstring& name);
    void OnPlanMessage(UINT msg, WPARAM code, const std::wstring& text);
    void OnOrderMessage(WPARAM code, const std::wstring& text);

    void BuildRechargeTiles();
    void BuildPlanTiles();
    void BuildPriceTiles(int plan);
    void BuildRenewalPage();
    void UpdatePaymentAmount(bool writeCount = true);
    void FillRecordList();

    void OnCustomPointsText();
    void OnCustomPointsLeft();
    void OnQuantityText();
    void SetCustomPoints(const std::wstring& text);

    void StartPayment(int feeType);
    void StartRecordLoad(bool points);
    void StartOrderQuery();
    void StopOrderPolling();
    void ShowQrPicture();

    IShell& m_shell;
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
    DuiLib::CControlUI* m_qrCode = nullptr;
    DuiLib::CControlUI* m_pollOwner = nullptr;
    DuiLib::CTabLayoutUI* m_tabOfRecord = nullptr;
    DuiLib::CListUI* m_listOfOrder = nullptr;
    DuiLib::COptionUI* m_pointRecords = nullptr;
    // Exist once the recharge tiles are built.
    DuiLib::CEditUI* m_customPoints = nullptr;
    DuiLib::CCheckBoxUI* m_customTile = nullptr;

    int m_goodsMode = kPointsGoods;
    int m_chosenPlan = 0;
    // False while the renewal page found no plan of the devices' type.
    bool m_renewalPlanFound = false;
    bool m_queryRunning = false;
    // The plan lists and the record pages each have their own members; a
    // load asked for while one of its kind runs waits and runs once after it.
    TaskKind m_purchasePlanTasks {TaskKind::Policy::RunOnceAfter};
    TaskKind m_rechargePlanTasks {TaskKind::Policy::RunOnceAfter};
    TaskKind m_recordTasks {TaskKind::Policy::RunOnceAfter};
    int m_pollsLeft = 0;
    int m_finishedPlanLoads = 0;
};
