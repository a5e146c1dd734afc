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
#include "commerce/Order.h"
#include "commerce/PlanLoad.h"
#include "commerce/Records.h"
#include "devices/DeviceList.h"
#include "net/NumberText.h"
#include "platform/Browser.h"
#include "platform/Clipboard.h"
#include "platform/MessageBox.h"
#include "ui/UIButton.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIEdit.h"
#include "ui/UILabel.h"
#include "ui/UILayout.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"

using namespace DuiLib;

namespace {

std::wstring PriceTileText(int days, int points)
{
    return L"<x 35><f 15>" + IntToWide(days) + L"天 / 台</f><f 12></f></x><p 5><x 15>所需积分<f 13> " +
           IntToWide(points) + L"</f></x></p>";
}

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

}  // namespace

BuyPage::BuyPage(IShell& shell) : m_shell(shell) {}

std::vector<UINT> BuyPage::Messages() const
{
    return {msg::UM_RECHARGE_ARGS, msg::UM_BUY_LIST, msg::UM_ORDER, msg::UM_RECORDS};
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
    m_qrCode = paint.FindControl(L"CtrlOfQRCode");
    // The QR page's back button: it carries the page's userdata, so its
    // timer reaches this page.
    m_pollOwner = paint.FindControl(L"BtnOfBuyTab");
    m_tabOfRecord = paint.FindControlAs<CTabLayoutUI>(L"TabOfRcord");
    m_listOfOrder = paint.FindControlAs<CListUI>(L"ListOfOrder");
    m_pointRecords = paint.FindControlAs<COptionUI>(L"OptOfPointRecord");
    const bool bound = m_tabOfBuy && m_tabOfGoods && m_tileOfCharge && m_tileOfMembership && m_tileOfPrice &&
                       m_tileOfDeviceCharge && m_tileOfDevicePrice && m_buyCount && m_invitationCode && m_payment &&
                       m_qrCode && m_pollOwner && m_tabOfRecord && m_listOfOrder && m_pointRecords;
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
    if (type == DUI_MSGTYPE_TIMER && notification.pSender == m_pollOwner &&
        notification.wParam == kOrderPollTimer) {
        if (m_pollsLeft <= 0) {
            StopOrderPolling();
        } else if (!m_queryRunning) {
            --m_pollsLeft;
            StartOrderQuery();
        }
        return true;
    }
    return false;
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
            order.unitPrice =
                text.empty() ? 0 : CustomRechargePrice(commerce.rechargePlans, WideToInt64(text));
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
        StartRecordLoad(true);
    } else if (name == L"OptOfChargeRecord") {
        StartRecordLoad(false);
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
        StartPayment(kFeePoints);
    } else if (name == L"BtnOfAliPay") {
        StartPayment(kFeeWeb);
    } else if (name == L"BtnOfWeChatPay") {
        StartPayment(kFeeQr);
    } else if (name == L"BtnOfBuyTab") {
        m_tabOfBuy->SelectItem(kGoodsPage);
    } else if (name == L"BtnOfOrderList") {
        // The list that comes shows point records: so does the option.
        m_pointRecords->Selected(true, false);
        StartRecordLoad(true);
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
        OnOrderMessage(wParam, MessageText(lParam));
        return true;
    case msg::UM_RECORDS:
        m_shell.EndWait();
        AdoptRecords(m_shell.Client().commerce);
        if (wParam == msg::kRecordsRead) {
            auto* buy = m_shell.Paint().FindControlAs<COptionUI>(L"OptOfBuy");
            if (buy && !buy->IsSelected())
                buy->Selected(true);
            m_tabOfBuy->SelectItem(kRecordPage);
            FillRecordList();
        }
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

void BuyPage::OnOrderMessage(WPARAM code, const std::wstring& text)
{
    ClientManager& client = m_shell.Client();
    // Only the creation waits; the queries run beside whatever the user does.
    if (code == msg::kOrderPointsDone || code == msg::kOrderWeChatCreated || code == msg::kOrderAlipayCreated ||
        code == msg::kOrderFailed)
        m_shell.EndWait();
    switch (code) {
    case msg::kOrderPointsDone:
        ShowNotice(m_shell, L"购买成功", MessageBoxIcon::Information);
        // The order thread of old refreshed these itself; here their own
        // pages do, each with its own messages.
        if (IAccountActions* account = m_shell.Account())
            account->RefreshUserInfo();
        if (IDeviceActions* devices = m_shell.Devices())
            devices->StartDeviceListLoad();
        break;
    case msg::kOrderWeChatCreated:
        m_tabOfBuy->SelectItem(kQrPage);
        ShowQrPicture();
        m_pollsLeft = kOrderPollCount;
        StartOrderQuery();
        m_pollOwner->SetTimer(kOrderPollTimer, kOrderPollPeriodMs);
        break;
    case msg::kOrderAlipayCreated:
        if (IsWebPaymentAddress(client.commerce.order.payUrl))
            OpenUrlOrShowAddress(client.commerce.order.payUrl, m_shell.Owner());
        m_pollsLeft = kOrderPollCount;
        StartOrderQuery();
        m_pollOwner->SetTimer(kOrderPollTimer, kOrderPollPeriodMs);
        break;
    case msg::kOrderFailed:
        m_shell.GenericFailure(text);
        break;
    case msg::kOrderCompleted:
        m_queryRunning = false;
        StopOrderPolling();
        ShowNotice(m_shell, text);
        if (IAccountActions* account = m_shell.Account())
            account->RefreshUserInfo();
        if (client.commerce.order.category != kCategoryPoints) {
            if (IDeviceActions* devices = m_shell.Devices())
                devices->StartDeviceListLoad();
        }
        break;
    case msg::kOrderQueryFailed:
        m_queryRunning = false;
        StopOrderPolling();
        m_shell.GenericFailure(text);
        break;
    default:
        // Not paid yet: the next tick asks again.
        m_queryRunning = false;
        break;
    }
}

void BuyPage::OnSignedOut()
{
    StopOrderPolling();
    for (TaskKind* kind : {&m_purchasePlanTasks, &m_rechargePlanTasks, &m_recordTasks})
        kind->DropQueued();
    CommerceMembers& commerce = m_shell.Client().commerce;
    commerce.rechargePlans.clear();
    // The previous account's minimum must not hold the next one.
    commerce.rechargeMinimum = 0;
    commerce.purchasePlans.clear();
    commerce.records.clear();
    m_tileOfCharge->RemoveAll();
    m_customPoints = nullptr;
    m_customTile = nullptr;
    m_tileOfMembership->RemoveAll();
    m_tileOfPrice->RemoveAll();
    m_tileOfDeviceCharge->RemoveAll();
    m_tileOfDevicePrice->RemoveAll();
    m_listOfOrder->RemoveAll();
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

void BuyPage::SelectGoods(int goodsMode)
{
    m_goodsMode = goodsMode;
    m_tabOfGoods->SelectItem(goodsMode);
    m_shell.Client().commerce.order.count = 1;
}

void BuyPage::ResetChosenPlan()
{
    m_chosenPlan = 0;
}

void BuyPage::BuildRechargeTiles()
{
    CommerceMembers& commerce = m_shell.Client().commerce;
    m_tileOfCharge->RemoveAll();
    m_customPoints = nullptr;
    m_customTile = nullptr;
    for (std::size_t i = 0; i < commerce.rechargePlans.size(); ++i) {
        std::unique_ptr<CControlUI> element = BuildElement(L"ChargeElement.xml");
        if (!element)
            continue;
        const RechargePlan& plan = commerce.rechargePlans[i];
        CControlUI* tile = m_tileOfCharge->Add(std::move(element));
        tile->SetText(L"<x 30><y 10><f 19>" + plan.points + L"</f></y></x><x 5>积分<f 12></f></x><p 5><x 5>优惠价：<f 15>¥ " +
                      plan.amountText + L" </f>元</x></p>");
        tile->SetTag(i);
    }
    if (std::unique_ptr<CControlUI> custom = BuildElement(L"ChargeElementDefine.xml")) {
        CControlUI* tile = m_tileOfCharge->Add(std::move(custom));
        m_customPoints = tile->FindSubControlAs<CEditUI>(L"EditOfDefCharge");
        m_customTile = tile->FindSubControlAs<CCheckBoxUI>(L"CBoxOfDefCharge");
    }
    if (m_customPoints) {
        m_customPoints->SetEventMask(ENM_CHANGE);
        m_customPoints->SetText(IntToWide(commerce.rechargeMinimum));
    }
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
    const CommerceMembers& commerce = m_shell.Client().commerce;
    m_tileOfMembership->RemoveAll();
    for (std::size_t i = 0; i < commerce.purchasePlans.size(); ++i) {
        std::unique_ptr<CControlUI> element = BuildElement(L"MemberElement.xml");
        if (!element)
            continue;
        const PurchasePlan& plan = commerce.purchasePlans[i];
        CControlUI* tile = m_tileOfMembership->Add(std::move(element));
        tile->SetText(L"<x 35><f 14>" + plan.type + L"</f>设备</x><p 5><x 30><f 12>  " + plan.desc + L"</f></x></p>");
        // A long description does not fit the tile: the whole of it on hover.
        tile->SetToolTip(plan.desc);
        tile->SetTag(i);
    }
    SizeTileToContent(m_tileOfMembership, m_tileOfMembership->GetCount());
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
    m_tileOfPrice->RemoveAll();
    if (plan < 0 || static_cast<std::size_t>(plan) >= commerce.purchasePlans.size())
        return;
    for (const auto& [days, points] : commerce.purchasePlans[plan].prices) {
        std::unique_ptr<CControlUI> element = BuildElement(L"PriceElement.xml");
        if (!element)
            continue;
        CControlUI* tile = m_tileOfPrice->Add(std::move(element));
        tile->SetText(PriceTileText(days, points));
        tile->SetTag(static_cast<std::uintptr_t>(days));
    }
    SizeTileToContent(m_tileOfPrice, m_tileOfPrice->GetCount());
    SelectFirst(m_tileOfPrice);
}

void BuyPage::BuildRenewalPage()
{
    ClientManager& client = m_shell.Client();
    // A copy: the tool tips show the play address a play task may be writing.
    const std::vector<DeviceRecord> devices = CopyOfDevices(client.devices);
    const std::vector<PurchasePlan>& plans = client.commerce.purchasePlans;
    OrderState& order = client.commerce.order;
    m_tileOfDeviceCharge->RemoveAll();
    std::wstring renewalType;
    int count = 0;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const DeviceRecord& device = devices[i];
        if (!device.selected)
            continue;
        renewalType = device.bind_plan_type;
        ++count;
        std::unique_ptr<CControlUI> element = BuildElement(L"ChargeDeviceElement.xml");
        if (!element)
            continue;
        CControlUI* tile = m_tileOfDeviceCharge->Add(std::move(element));
        tile->SetText(L"<x 35><f 15>" + device.name + L"</f></x><p 5><x 10><f 12>" + device.bind_plan_type +
                      L" </f><f 14>" + device.expiry_text + L"</f></x></p>");
        tile->SetToolTip(device.bind_plan_type + L"_" + device.id + L"_" + device.ip + L"_" + device.sn);
        tile->SetTag(i);
    }
    order.count = count;
    SizeTileToContent(m_tileOfDeviceCharge, count);

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
    for (const auto& [days, points] : plans[m_chosenPlan].prices) {
        std::unique_ptr<CControlUI> element = BuildElement(L"PriceOfDeviceElement.xml");
        if (!element)
            continue;
        CControlUI* tile = m_tileOfDevicePrice->Add(std::move(element));
        tile->SetText(PriceTileText(days, points));
        tile->SetTag(static_cast<std::uintptr_t>(days));
    }
    SizeTileToContent(m_tileOfDevicePrice, m_tileOfDevicePrice->GetCount());
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

void BuyPage::StartPayment(int feeType)
{
    ClientManager& client = m_shell.Client();
    OrderState& order = client.commerce.order;
    order.category = m_tabOfGoods->GetCurSel();
    order.feeType = feeType;
    if (order.category == kCategoryRenewal && (!m_renewalPlanFound || order.count == 0 || order.days == 0)) {
        ShowNotice(m_shell, L"没有可续费的设备或适用的套餐！");
        return;
    }
    if (order.category == kCategoryDevices && (client.commerce.purchasePlans.empty() || order.days == 0)) {
        ShowNotice(m_shell, L"请选择设备类型和套餐！");
        return;
    }
    // Points are spent at once: the user says yes to the amount first.
    if (feeType == kFeePoints &&
        !AskOkCancel(m_shell, L"确定使用账户积分支付" + DoubleToWide(order.count * order.unitPrice) + L"积分吗？"))
        return;
    StopOrderPolling();
    OrderRequest request = BuildOrderRequest(order, client.devices.devices);
    m_shell.BeginWait();
    m_shell.StartWith(CreateOrder, std::move(request)).Drop();
}

void BuyPage::StartRecordLoad(bool points)
{
    m_shell.BeginWait();
    if (m_recordTasks.Start(m_shell.ClientRef(), points ? LoadPointRecords : LoadOrderRecords) ==
        TaskKind::Outcome::NotStarted)
        m_shell.EndWait();
}

void BuyPage::StartOrderQuery()
{
    // The query gets its own copy of the id: a new order may be made while
    // it runs.
    std::wstring id = m_shell.Client().commerce.order.displayOrderId;
    m_queryRunning = m_shell.StartWith(QueryOrder, std::move(id)).IsValid();
}

void BuyPage::StopOrderPolling()
{
    m_pollsLeft = 0;
    m_pollOwner->KillTimer(kOrderPollTimer);
}

void BuyPage::ShowQrPicture()
{
    const OrderState& order = m_shell.Client().commerce.order;
    // The same order id gives the same file: read it again.
    if (!order.qrImagePath.empty())
        m_shell.Paint().RemoveImage(order.qrImagePath);
    m_qrCode->SetBkImage(order.qrImagePath);
    m_qrCode->SetText(order.qrRefused ? L"二维码生成失败，请选择其他支付方式" : L"");
}

void BuyPage::FillRecordList()
{
    const std::vector<RecordEntry>& records = m_shell.Client().commerce.records;
    m_listOfOrder->RemoveAll();
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto* row = static_cast<CListTextElementUI*>(m_listOfOrder->Add(std::make_unique<CListTextElementUI>()));
        row->SetTag(i);
        row->SetName(L"ListElementOfOrder");
        const RecordEntry& record = records[i];
        row->SetText(0, record.date);
        row->SetText(1, record.plan);
        row->SetText(2, record.amount);
        row->SetText(3, record.status);
        row->SetText(4, record.description);
    }
    m_tabOfRecord->SelectItem(records.empty() ? 1 : 0);
}
