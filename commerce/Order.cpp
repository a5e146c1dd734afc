#include "commerce/Order.h"

#include <cjson/cJSON.h>

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "commerce/QrBitmap.h"
#include "net/JsonRead.h"
#include "net/NumberText.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"

namespace {

constexpr const wchar_t* kUnreadableAnswerText = L"服务返回的数据无法识别，请稍后重试。";

// The failure text of a call: what the service or the transport said, or a
// clear one for an answer that was no envelope at all; nothing for a call
// the sign-out stopped.
std::wstring FailureText(const ServiceReply& reply)
{
    if (reply.cancelled)
        return std::wstring();
    return reply.text.empty() ? std::wstring(kUnreadableAnswerText) : reply.text;
}

// A status the service may write as a decimal text or as a number.
int StatusOf(const cJSON* payload)
{
    const cJSON* status = json::Member(payload, "status");
    if (json::IsString(status))
        return AnsiToInt(json::TextOf(status));
    return json::IsNumber(status) ? json::Int32Of(status) : 0;
}

} // namespace

OrderRequest BuildOrderRequest(const OrderState& order, const std::vector<DeviceRecord>& devices)
{
    OrderRequest request;
    const std::wstring fee = L"&fee_type=" + IntToWide(order.feeType);
    if (order.category == kCategoryPoints) {
        request.path = "/api/qtz/front_device_recharge";
        request.params = L"&type=" + order.rechargeKind + L"&price=" + order.pointsText + fee;
    } else if (order.category == kCategoryRenewal) {
        request.path = "/api/qtz/front_device_buy";
        std::wstring ids;
        for (const DeviceRecord& device : devices) {
            if (device.selected)
                ids += device.id + L",";
        }
        request.params
            = L"&buy_type=2&id=" + ids + L"&type=" + order.planType + L"&day=" + IntToWide(order.days) + fee;
    } else {
        request.path = "/api/qtz/front_device_buy";
        request.params = L"&buy_type=1&type=" + order.planType + L"&day=" + IntToWide(order.days)
            + L"&quantity=" + IntToWide(order.count) + fee;
    }
    return request;
}

void CreateOrder(ClientManager& owner, OrderRequest& order)
{
    OrderState& state = owner.commerce.order;
    ServiceRequest request;
    request.path = order.path;
    request.params = order.params;
    const ServiceReply reply = CallService(request);
    if (!reply.succeeded()) {
        owner.Send(msg::UM_ORDER, msg::kOrderFailed, FailureText(reply));
        return;
    }
    const cJSON* payload = reply.envelope.payload.get();
    if (state.feeType == kFeePoints) {
        json::ReadAnsiText(payload, "display_order_id", state.displayOrderId);
        json::ReadAnsiText(payload, "config", state.payUrl);
        owner.Send(msg::UM_ORDER, msg::kOrderPointsDone, reply.text);
        return;
    }
    // Without a payload there is no order to pay or ask about; the window
    // must not be left waiting for a result that never comes.
    if (!payload || !json::IsObject(payload)) {
        owner.Send(msg::UM_ORDER, msg::kOrderFailed, std::wstring(kUnreadableAnswerText));
        return;
    }
    state.displayOrderId = json::AnsiText(payload, "display_order_id");
    if (state.feeType == kFeeWeb) {
        state.payUrl = json::AnsiText(payload, "config");
        owner.Send(msg::UM_ORDER, msg::kOrderAlipayCreated, reply.text);
        return;
    }
    state.qrImagePath.clear();
    state.qrRefused = false;
    std::string content;
    if (json::ReadText(payload, "config", content)) {
        const std::string path = GetLocalPaths().imageCache.narrow + QrFileName(state.displayOrderId);
        if (WriteQrBitmap(content, path))
            state.qrImagePath = Utf8ToWide(path);
        else
            state.qrRefused = true;
    }
    owner.Send(msg::UM_ORDER, msg::kOrderWeChatCreated, reply.text);
}

std::wstring OrderQueryStatusText(int status)
{
    switch (status) {
    case 11:
        return L"订单第三方请求失败";
    case 12:
        return L"订单待支付";
    case 13:
        return L"订单待处理";
    case 14:
        return L"订单已完成！";
    case 15:
        return L"订单已退款";
    default:
        return std::wstring();
    }
}

void QueryOrder(ClientManager& owner, std::wstring& displayOrderId)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_device_query_order";
    request.params = L"display_order_id=" + displayOrderId;
    const ServiceReply reply = CallService(request);
    if (!reply.succeeded() || !reply.envelope.payload) {
        owner.Send(msg::UM_ORDER, msg::kOrderQueryFailed, FailureText(reply));
        return;
    }
    const int status = StatusOf(reply.envelope.payload.get());
    if (status == 14) {
        owner.Send(msg::UM_ORDER, msg::kOrderCompleted, OrderQueryStatusText(status));
        return;
    }
    const std::wstring text = OrderQueryStatusText(status);
    owner.Send(msg::UM_ORDER, msg::kOrderOtherState, text.empty() ? reply.text : text);
}

bool IsWebPaymentAddress(const std::wstring& url)
{
    return url.rfind(L"http://", 0) == 0 || url.rfind(L"https://", 0) == 0;
}
