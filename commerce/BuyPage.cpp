#include "commerce/BuyPage.h"

#include <memory>

#include "app/ClientManager.h"
#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/Shell.h"
#include "app/actions/AccountActions.h"
#include "app/actions/DeviceActions.h"
#include "commerce/Amounts.h"
#include "commerce/BuyTiles.h"
#include "commerce/PlanLoad.h"
#include "devices/DeviceList.h"
#include "net/NumberText.h"
#include "platform/Clipboard.h"
#include "ui/UICheckBox.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIEdit.h"
#include "ui/UILabel.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UITabLayout.h"
#include "ui/UITileLayout.h"

using namespace DuiLib;

// The goods other pages ask for are the pages of TabOfGoods.
static_assert(static_cast<int>(Goods::Devices) == kDevicesGoodsPage);
static_assert(static_cast<int>(Goods::Points) == kPointsGoodsPage);
static_assert(static_cast<int>(Goods::Renewal) == kRenewalGoodsPage);

namespace {

// Selects the first element of a tile layout (its "selectchanged" runs the
// branch of that tile).
void SelectFirst(CTileLayoutUI* tile)
{
    if (tile->GetCount() == 0)
        return;
    if (auto* box = dynamic_cast<COptionUI*>(tile->GetItemAt(0)))
        box->Selected(true);
}

void SetTextIfChanged(CControlUI* control, const std::wstring& text)
{
    if (control->GetText() != text)
        control->SetText(text);
}

} // namespace

BuyPage::BuyPage(IShell& shell)
    : m_shell(shell)
    , m_orders(shell)
    , m_records(shell)
{
}

std::vector<UINT> BuyPage::Messages() const
{
    return { msg::UM_RECHARGE_ARGS, msg::UM_BUY_LIST, msg::UM_ORDER, msg::UM_RECORDS };
}

bool BuyPage::Bind(CPaintManagerUI& paint)
{
    m_tabOfBuy = paint.FindControlAs<CTabLayoutUI>(L"TabOfBuy");
    m_tabOfGoods = paint.FindControlAs<CTabLayoutUI>(L"TabOfGoods");
    m_tileOfCharge = paint.FindControlAs<CTileLayoutUI>(L"TileOfCharge");
    m_tileOfMembership = paint.FindControlAs<CTileLayoutUI>(L"TileOfMembership");
    m_tileOfPrice = paint.FindControlAs<CTileLayoutUI>(L"TileOfPrice");
    m_tileOfDeviceCharge = paint.FindControlAs<CTileLayoutUI>(L"TileOfDeviceCharge");
    m_tileOfDevicePrice = paint.FindControlAs<CTileLayoutUI>(L"TileOfDevicePrice");
    m_buyCount = paint.FindControlAs<CEditUI>(L"EditOfBuyCount");
    m_invitationCode = paint.FindControlAs<CEditUI>(L"EditOfInvitationCode");
    m_payment = paint.FindControlAs<CLabelUI>(L"LabOfPayment");
    const bool bound = m_tabOfBuy && m_tabOfGoods && m_tileOfCharge && m_tileOfMembership && m_tileOfPrice
        && m_tileOfDeviceCharge && m_tileOfDevicePrice && m_buyCount && m_invitationCode && m_payment
        && m_orders.Bind(paint) && m_records.Bind(paint);
    if (bound)
        m_buyCount->SetEventMask(ENM_CHANGE);
    return bound;
}

bool BuyPage::OnNotify(TNotifyUI& notification)
{
    if (!notification.pSender)
        return false;
    const std::wstring& name = notification.pSender->GetName();
    const std::wstring& type = notification.sType;
    if (type == DUI_MSGTYPE_SELECTCHANGED)
        return OnSelectChanged(notification);
    if (type == DUI_MSGTYPE_CLICK)
        return OnClick(name);
    if (type == DUI_MSGTYPE_TEXTCHANGED && name == L"EditOfDefCharge") {
        OnCustomPointsText();
        return true;
    }
    if (type == DUI_MSGTYPE_TEXTCHANGED && notification.pSender == m_buyCount) {
        OnQuantityText();
        return true;
    }
    if (type == DUI_MSGTYPE_KILLFOCUS && name == L"EditOfDefCharge") {
        OnCustomPointsLeft();
        return true;
    }
    if (type == DUI_MSGTYPE_KILLFOCUS && notification.pSender == m_buyCount) {
        if (m_buyCount->GetText().empty()) {
            m_buyCount->SetText(L"1");
            OnQuantityText();
        }
        return true;
    }
    return m_orders.OnTimer(notification);
}

bool BuyPage::OnSelectChanged(TNotifyUI& notification)
{
    CControlUI* sender = notification.pSender;
    const std::wstring& name = sender->GetName();
    CommerceMembers& commerce = m_shell.Client().commerce;
    OrderState& order = commerce.order;
    const auto tag = sender->GetTag();
    if (name == L"CBoxOfMembership") {
        if (tag >= commerce.purchasePlans.size())
            return true;
        m_chosenPlan = static_cast<int>(tag);
        order.planType = commerce.purchasePlans[tag].type;
        BuildPriceTiles(m_chosenPlan);
    } else if (name == L"CBoxOfPrice" || name == L"CBoxOfDevicePrice") {
        order.days = static_cast<int>(tag);
        order.unitPrice = 0;
        if (m_chosenPlan >= 0 && static_cast<std::size_t>(m_chosenPlan) < commerce.purchasePlans.size()) {
            const auto& prices = commerce.purchasePlans[m_chosenPlan].prices;
            const auto price = prices.find(order.days);
            if (price != prices.end())
                order.unitPrice = price->second;
        }
        UpdatePaymentAmount();
    } else if (name == L"CBoxOfCharge") {
        if (tag >= commerce.rechargePlans.size())
            return true;
        if (m_customPoints)
            m_customPoints->SetMouseEnabled(false);
        m_chosenPlan = static_cast<int>(tag);
        order.rechargeKind = L"1";
        // The amount the tile shows is what the service charges (9.9, not 9).
        order.unitPrice = WideToDouble(commerce.rechargePlans[tag].amountText);
        order.pointsText = commerce.rechargePlans[tag].points;
        UpdatePaymentAmount();
    } else if (name == L"CBoxOfDefCharge") {
        order.rechargeKind = L"2";
        if (m_customPoints) {
            const std::wstring text = m_customPoints->GetText();
            // The number in the field is what is ordered, not the preset
            // plan chosen before.
            order.pointsText = text;
            order.unitPrice
                = text.empty() ? 0 : CustomRechargePrice(commerce.rechargePlans, WideToInt64(text));
            m_customPoints->SetMouseEnabled(true);
            m_customPoints->SetFocus();
        } else {
            order.unitPrice = 0;
        }
        UpdatePaymentAmount();
    } else if (name == L"CBoxOfDeviceCharge") {
        std::vector<DeviceRecord>& devices = m_shell.Client().devices.devices;
        if (tag < devices.size())
            SetDeviceSelected(m_shell.Client().devices, tag, static_cast<COptionUI*>(sender)->IsSelected());
        BuildRenewalPage();
    } else if (name == L"CBoxOfCoupon") {
        UpdatePaymentAmount();
    } else if (name == L"OptOfPointRecord") {
        m_records.Load(true);
    } else if (name == L"OptOfChargeRecord") {
        m_records.Load(false);
    } else {
        return false;
    }
    return true;
}

bool BuyPage::OnClick(const std::wstring& name)
{
    OrderState& order = m_shell.Client().commerce.order;
    if (name == L"BtnOfDecreaseCount") {
        if (order.count >= 2) {
            --order.count;
            UpdatePaymentAmount();
        }
    } else if (name == L"BtnOfIncreaseCount") {
        if (order.count < 99999)
            ++order.count;
        UpdatePaymentAmount();
    } else if (name == L"BtnOfCopyInvitationCode") {
        m_invitationCode->SetSelAll();
        SetClipboardText(m_invitationCode->GetText());
    } else if (name == L"BtnOfBuyDeviceTab") {
        m_goodsMode = kDevicesGoods;
        m_tabOfGoods->SelectItem(kDevicesGoods);
        if (auto* devices = m_shell.Paint().FindControlAs<COptionUI>(L"OptOfDevice"))
            devices->Selected(true);
    } else if (name == L"BtnOfPay") {
        Pay(kFeePoints);
    } else if (name == L"BtnOfAliPay") {
        Pay(kFeeWeb);
    } else if (name == L"BtnOfWeChatPay") {
        Pay(kFeeQr);
    } else if (name == L"BtnOfBuyTab") {
        m_tabOfBuy->SelectItem(kGoodsPage);
    } else if (name == L"BtnOfOrderList") {
        m_records.ShowPointRecords();
    } else {
        return false;
    }
    return true;
}

bool BuyPage::OnMessage(UINT id, WPARAM wParam, LPARAM lParam)
{
    switch (id) {
    case msg::UM_RECHARGE_ARGS:
    case msg::UM_BUY_LIST:
        OnPlanMessage(id, wParam, MessageText(lParam));
        return true;
    case msg::UM_ORDER:
        m_orders.OnOrderMessage(wParam, MessageText(lParam));
        return true;
    case msg::UM_RECORDS:
        m_records.OnRecords(wParam);
        return true;
    default:
        return false;
    }
}

void BuyPage::OnPlanMessage(UINT id, WPARAM code, const std::wstring& text)
{
    CommerceMembers& commerce = m_shell.Client().commerce;
    if (id == msg::UM_RECHARGE_ARGS) {
        m_shell.EndWait();
        AdoptRechargePlans(commerce);
        if (code == msg::kRechargeArgsLoaded)
            BuildRechargeTiles();
        else
            m_shell.GenericFailure(text);
        return;
    }
    ++m_finishedPlanLoads;
    AdoptPurchasePlans(commerce);
    if (code == msg::kBuyListLoaded)
        BuildPlanTiles();
    else
        m_shell.GenericFailure(text);
}

void BuyPage::OnSignedIn()
{
    StartPurchasePlanLoad();
}

void BuyPage::OnSigningOut()
{
    m_orders.StopPolling();
    // The plan loads running (stopped by the session's token) report before
    // the lists are emptied, so none fills them again for the next account.
    for (TaskKind* kind : { &m_purchasePlanTasks, &m_rechargePlanTasks }) {
        kind->DropQueued();
        kind->Wait(kSignOutTaskWait);
    }
}

void BuyPage::OnSignedOut()
{
    CommerceMembers& commerce = m_shell.Client().commerce;
    commerce.rechargePlans.clear();
    // The previous account's minimum must not hold the next one.
    commerce.rechargeMinimum = 0;
    commerce.purchasePlans.clear();
    m_records.Clear();
    m_tileOfCharge->RemoveAll();
    m_customPoints = nullptr;
    m_customTile = nullptr;
    m_tileOfMembership->RemoveAll();
    m_tileOfPrice->RemoveAll();
    m_tileOfDeviceCharge->RemoveAll();
    m_tileOfDevicePrice->RemoveAll();
    m_tabOfBuy->SelectItem(kGoodsPage);
}

void BuyPage::StartPurchasePlanLoad()
{
    m_purchasePlanTasks.Start(m_shell.ClientRef(), LoadPurchasePlans);
}

void BuyPage::StartRechargePlanLoad()
{
    if (m_rechargePlanTasks.Start(m_shell.ClientRef(), LoadRechargePlans) == TaskKind::Outcome::NotStarted)
        m_shell.EndWait();
}

void BuyPage::StartRenewal()
{
    const std::vector<DeviceRecord>& devices = m_shell.Client().devices.devices;
    const std::wstring* type = nullptr;
    for (const DeviceRecord& device : devices) {
        if (!device.selected)
            continue;
        if (type && *type != device.bind_plan_type) {
            ShowError(m_shell, L"批量续费的必须为同类型设备！");
            return;
        }
        type = &device.bind_plan_type;
    }
    m_goodsMode = kRenewalGoods;
    m_tabOfGoods->SelectItem(kRenewalGoods);
    if (auto* buy = m_shell.Paint().FindControlAs<COptionUI>(L"OptOfBuy"))
        buy->Selected(true);
    BuildRenewalPage();
}

void BuyPage::SelectGoods(Goods goods)
{
    m_goodsMode = static_cast<int>(goods);
    m_tabOfGoods->SelectItem(m_goodsMode);
    m_shell.Client().commerce.order.count = 1;
}

void BuyPage::ShowGoods(Goods goods)
{
    // The menu entry's "selectchanged" loads the plans of the goods that
    // TabOfGoods shows, so the goods page is chosen first.
    auto* buy = m_shell.Paint().FindControlAs<COptionUI>(L"OptOfBuy");
    switch (goods) {
    case Goods::Devices:
        m_tabOfGoods->SelectItem(kDevicesGoods);
        if (buy)
            buy->Selected(true);
        SelectGoods(Goods::Devices);
        break;
    case Goods::Renewal:
        m_tabOfGoods->SelectItem(kRenewalGoods);
        if (buy)
            buy->Selected(true);
        StartRenewal();
        break;
    case Goods::Points:
        SelectGoods(Goods::Points);
        if (auto* charge = m_shell.Paint().FindControlAs<COptionUI>(L"OptOfCharge"))
            charge->Selected(true);
        break;
    }
}

bool BuyPage::ShowsRenewal() const
{
    return m_tabOfGoods->GetCurSel() == kRenewalGoods;
}

void BuyPage::ResetChosenPlan()
{
    m_chosenPlan = 0;
}

void BuyPage::BuildRechargeTiles()
{
    CommerceMembers& commerce = m_shell.Client().commerce;
    m_customPoints = nullptr;
    m_customTile = nullptr;
    FillTiles(m_tileOfCharge, L"ChargeElement.xml", RechargeTiles(commerce.rechargePlans));
    if (std::unique_ptr<CControlUI> custom = BuildElement(L"ChargeElementDefine.xml")) {
        CControlUI* tile = m_tileOfCharge->Add(std::move(custom));
        m_customPoints = tile->FindSubControlAs<CEditUI>(L"EditOfDefCharge");
        m_customTile = tile->FindSubControlAs<CCheckBoxUI>(L"CBoxOfDefCharge");
    }
    if (m_customPoints) {
        m_customPoints->SetEventMask(ENM_CHANGE);
        m_customPoints->SetText(IntToWide(commerce.rechargeMinimum));
    }
    // The custom tile is one more.
    SizeTileToContent(m_tileOfCharge, m_tileOfCharge->GetCount());
    const std::wstring& invite = m_shell.Client().user.myInviteCode;
    if (!invite.empty())
        m_invitationCode->SetText(invite);
    // Without preset plans the custom tile is the first choice.
    if (commerce.rechargePlans.empty() && m_customTile)
        m_customTile->Selected(true);
    else
        SelectFirst(m_tileOfCharge);
}

void BuyPage::BuildPlanTiles()
{
    FillTiles(m_tileOfMembership, L"MemberElement.xml", PlanTiles(m_shell.Client().commerce.purchasePlans));
    if (m_tileOfMembership->GetCount() == 0) {
        // Nothing on sale: no price may stay from an earlier list.
        m_tileOfPrice->RemoveAll();
        return;
    }
    SelectFirst(m_tileOfMembership);
}

void BuyPage::BuildPriceTiles(int plan)
{
    const CommerceMembers& commerce = m_shell.Client().commerce;
    if (plan < 0 || static_cast<std::size_t>(plan) >= commerce.purchasePlans.size()) {
        m_tileOfPrice->RemoveAll();
        return;
    }
    FillTiles(m_tileOfPrice, L"PriceElement.xml", PriceTiles(commerce.purchasePlans[plan]));
    SelectFirst(m_tileOfPrice);
}

void BuyPage::BuildRenewalPage()
{
    ClientManager& client = m_shell.Client();
    // A copy: the tool tips show the play address a play task may be writing.
    const std::vector<DeviceRecord> devices = CopyOfDevices(client.devices);
    const std::vector<PurchasePlan>& plans = client.commerce.purchasePlans;
    OrderState& order = client.commerce.order;
    std::wstring renewalType;
    int count = 0;
    for (const DeviceRecord& device : devices) {
        if (device.selected) {
            renewalType = device.bind_plan_type;
            ++count;
        }
    }
    FillTiles(m_tileOfDeviceCharge, L"ChargeDeviceElement.xml", RenewalTiles(devices));
    order.count = count;

    // The last plan of the devices' type; without one nothing is offered,
    // rather than the prices of whatever plan was chosen before.
    m_renewalPlanFound = false;
    for (std::size_t p = 0; p < plans.size(); ++p) {
        if (plans[p].type == renewalType) {
            m_chosenPlan = static_cast<int>(p);
            m_renewalPlanFound = true;
        }
    }
    m_tileOfDevicePrice->RemoveAll();
    order.days = 0;
    order.unitPrice = 0;
    if (!m_renewalPlanFound) {
        UpdatePaymentAmount();
        return;
    }
    order.planType = plans[m_chosenPlan].type;
    FillTiles(m_tileOfDevicePrice, L"PriceOfDeviceElement.xml", PriceTiles(plans[m_chosenPlan]));
    UpdatePaymentAmount();
    SelectFirst(m_tileOfDevicePrice);
}

void BuyPage::UpdatePaymentAmount(bool writeCount)
{
    OrderState& order = m_shell.Client().commerce.order;
    order.total = order.count * order.unitPrice;
    const std::wstring total = DoubleToWide(order.total);
    if (m_goodsMode == kPointsGoods) {
        m_payment->SetText(total + L" 元");
        return;
    }
    // Written from code this raises no "textchanged", so nothing loops.
    if (writeCount)
        SetTextIfChanged(m_buyCount, IntToWide(order.count));
    m_payment->SetText(total + L" 元（或消耗" + total + L"积分）");
}

void BuyPage::OnQuantityText()
{
    OrderState& order = m_shell.Client().commerce.order;
    std::wstring text = m_buyCount->GetText();
    if (!text.empty() && !MatchesQuantityPattern(text)) {
        text = TrimToPattern(text, MatchesQuantityPattern);
        m_buyCount->SetText(text);
    }
    if (text.empty()) {
        // An empty field counts as one once it is left; until then no
        // amount is shown for a quantity nobody typed.
        order.count = 1;
        m_payment->SetText(L"0 元（或消耗0积分）");
        return;
    }
    order.count = WideToInt(text);
    UpdatePaymentAmount();
}

void BuyPage::OnCustomPointsText()
{
    if (!m_customPoints)
        return;
    CommerceMembers& commerce = m_shell.Client().commerce;
    OrderState& order = commerce.order;
    std::wstring text = m_customPoints->GetText();
    if (!text.empty() && !MatchesPointsPattern(text)) {
        text = TrimToPattern(text, MatchesPointsPattern);
        m_customPoints->SetText(text);
    }
    // The field changes the order only while its tile is the chosen one.
    if (m_customTile && !m_customTile->IsSelected())
        return;
    if (text.empty()) {
        order.unitPrice = 0;
        UpdatePaymentAmount();
        return;
    }
    const long long points = WideToInt64(text);
    if (points < commerce.rechargeMinimum)
        return;
    order.pointsText = text;
    order.unitPrice = CustomRechargePrice(commerce.rechargePlans, points);
    UpdatePaymentAmount();
}

void BuyPage::OnCustomPointsLeft()
{
    if (!m_customPoints)
        return;
    const int minimum = m_shell.Client().commerce.rechargeMinimum;
    const std::wstring text = m_customPoints->GetText();
    if (text.empty()) {
        SetCustomPoints(IntToWide(minimum));
    } else if (WideToInt64(text) < minimum) {
        ShowNotice(m_shell, L"自定义积分最低为" + IntToWide(minimum));
        SetCustomPoints(IntToWide(minimum));
    }
}

void BuyPage::SetCustomPoints(const std::wstring& text)
{
    m_customPoints->SetText(text);
    // Text set from code raises no "textchanged": the order follows it here.
    OnCustomPointsText();
}

void BuyPage::Pay(int feeType)
{
    m_orders.Pay(m_tabOfGoods->GetCurSel(), feeType, m_renewalPlanFound);
}
