#pragma once

#include <string>
#include <vector>

#include "app/Task.h"
#include "commerce/CommerceMembers.h"
#include "devices/DeviceMembers.h"

// One order as it goes to the service: built on the window thread from the
// choice and the selected devices, then handed to CreateOrder.
struct OrderRequest {
    std::string path;
    std::wstring params;
};

// The path and parameter text of an order of order.category paid with
// order.feeType. A renewal names every selected device, each id followed by
// a comma.
OrderRequest BuildOrderRequest(const OrderState& order, const std::vector<DeviceRecord>& devices);

// Task routine. Reports UM_ORDER 1235 (points order settled), 1236 (QR order created),
// 1237 (web order created) or 1238 (failure, with its text).
void CreateOrder(ClientManager& owner, OrderRequest& order);

// Task routine: asks once for the state of the order with that display id.
// Reports UM_ORDER 1239 (completed), 0 (any other state, with its text) or
// 1240 (failure).
void QueryOrder(ClientManager& owner, std::wstring& displayOrderId);

// The text of an order state of the query ("订单待支付" for 12); empty for an
// unknown state.
std::wstring OrderQueryStatusText(int status);

// Whether the page may hand the address to the browser: http or https only.
bool IsWebPaymentAddress(const std::wstring& url);
