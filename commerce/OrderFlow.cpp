#include "commerce/OrderFlow.h"

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/Shell.h"
#include "app/actions/AccountActions.h"
#include "app/actions/DeviceActions.h"
#include "commerce/Amounts.h"
#include "commerce/BuyLayout.h"
#include "commerce/Order.h"
#include "platform/Browser.h"
#include "platform/MessageBox.h"
#include "ui/UIManager.h"
#include "ui/UITabLayout.h"

using namespace DuiLib;

OrderFlow::OrderFlow(IShell& shell)
    : m_shell(shell)
{
}

bool OrderFlow::Bind(CPaintManagerUI& paint)
{
    m_tabOfBuy = paint.FindControlAs<CTabLayoutUI>(L"TabOfBuy");
    m_qrCode = paint.FindControl(L"CtrlOfQRCode");
    // The QR page's back button: it carries the page's userdata, so its
    // timer reaches this page.
    m_pollOwner = paint.FindControl(L"BtnOfBuyTab");
    return m_tabOfBuy && m_qrCode && m_pollOwner;
}

void OrderFlow::Pay(int category, int feeType, bool renewalPlanFound)
{
    ClientManager& client = m_shell.Client();
    OrderState& order = client.commerce.order;
    order.category = category;
    order.feeType = feeType;
    if (order.category == kCategoryRenewal && (!renewalPlanFound || order.count == 0 || order.days == 0)) {
        ShowNotice(m_shell, L"没有可续费的设备或适用的套餐！");
        return;
    }
    if (order.category == kCategoryDevices && (client.commerce.purchasePlans.empty() || order.days == 0)) {
        ShowNotice(m_shell, L"请选择设备类型和套餐！");
        return;
    }
    // Points are spent at once: the user says yes to the amount first.
    if (feeType == kFeePoints
        && !AskOkCancel(
            m_shell, L"确定使用账户积分支付" + DoubleToWide(order.count * order.unitPrice) + L"积分吗？"))
        return;
    StopPolling();
    OrderRequest request = BuildOrderRequest(order, client.devices.devices);
    m_shell.BeginWait();
    m_shell.StartWith(CreateOrder, std::move(request)).Drop();
}

void OrderFlow::OnOrderMessage(WPARAM code, const std::wstring& text)
{
    ClientManager& client = m_shell.Client();
    // Only the creation waits; the queries run beside whatever the user does.
    if (code == msg::kOrderPointsDone || code == msg::kOrderWeChatCreated || code == msg::kOrderAlipayCreated
        || code == msg::kOrderFailed)
        m_shell.EndWait();
    switch (code) {
    case msg::kOrderPointsDone:
        ShowNotice(m_shell, L"购买成功", MessageBoxIcon::Information);
        // The order thread of old refreshed these itself; here their own
        // pages do, each with its own messages.
        m_shell.Account().RefreshUserInfo();
        m_shell.Devices().StartDeviceListLoad();
        break;
    case msg::kOrderWeChatCreated:
        m_tabOfBuy->SelectItem(kBuyQrPage);
        ShowQrPicture();
        StartPolling();
        break;
    case msg::kOrderAlipayCreated:
        if (IsWebPaymentAddress(client.commerce.order.payUrl))
            OpenUrlOrShowAddress(client.commerce.order.payUrl, m_shell.Owner());
        StartPolling();
        break;
    case msg::kOrderFailed:
        m_shell.GenericFailure(text);
        break;
    case msg::kOrderCompleted:
        m_queryRunning = false;
        StopPolling();
        ShowNotice(m_shell, text);
        m_shell.Account().RefreshUserInfo();
        if (client.commerce.order.category != kCategoryPoints)
            m_shell.Devices().StartDeviceListLoad();
        break;
    case msg::kOrderQueryFailed:
        m_queryRunning = false;
        StopPolling();
        m_shell.GenericFailure(text);
        break;
    default:
        // Not paid yet: the next tick asks again.
        m_queryRunning = false;
        break;
    }
}

bool OrderFlow::OnTimer(const TNotifyUI& notification)
{
    if (notification.sType != DUI_MSGTYPE_TIMER || notification.pSender != m_pollOwner
        || notification.wParam != kPollTimer)
        return false;
    if (m_pollsLeft <= 0) {
        StopPolling();
    } else if (!m_queryRunning) {
        --m_pollsLeft;
        StartQuery();
    }
    return true;
}

void OrderFlow::StartPolling()
{
    m_pollsLeft = kPollCount;
    StartQuery();
    m_pollOwner->SetTimer(kPollTimer, kPollPeriodMs);
}

void OrderFlow::StartQuery()
{
    // The query gets its own copy of the id: a new order may be made while
    // it runs.
    std::wstring id = m_shell.Client().commerce.order.displayOrderId;
    m_queryRunning = m_shell.StartWith(QueryOrder, std::move(id)).IsValid();
}

void OrderFlow::StopPolling()
{
    m_pollsLeft = 0;
    m_pollOwner->KillTimer(kPollTimer);
}

void OrderFlow::ShowQrPicture()
{
    const OrderState& order = m_shell.Client().commerce.order;
    // The same order id gives the same file: read it again.
    if (!order.qrImagePath.empty())
        m_shell.Paint().RemoveImage(order.qrImagePath);
    m_qrCode->SetBkImage(order.qrImagePath);
    m_qrCode->SetText(order.qrRefused ? L"二维码生成失败，请选择其他支付方式" : L"");
}
