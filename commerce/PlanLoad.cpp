#include "commerce/PlanLoad.h"

#include <cjson/cJSON.h>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "commerce/Amounts.h"
#include "net/JsonRead.h"
#include "net/NumberText.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"

namespace {

// A decimal text member of the payload, as the service writes it; numbers
// are taken too, so a plan list with numbers instead of texts still reads.
std::string DecimalText(const cJSON* item)
{
    if (json::IsString(item))
        return json::TextOf(item);
    if (json::IsNumber(item))
        return std::to_string(json::IntegerOf(item));
    return std::string();
}

// What a failed load shows: the service's text, else the standard one.
// A load the sign-out stopped has nothing to tell (an empty text).
std::wstring FailureText(const ServiceReply& reply, const wchar_t* fallback)
{
    if (reply.cancelled)
        return std::wstring();
    return reply.text.empty() ? std::wstring(fallback) : reply.text;
}

} // namespace

void ReadRechargePlans(const cJSON* payload, RechargeOffer& offer)
{
    std::vector<RechargePlan>& plans = offer.plans;
    for (const cJSON* price : json::Elements(json::Member(payload, "price"))) {
        RechargePlan plan;
        plan.points = Utf8ToWide(DecimalText(price));
        plans.push_back(std::move(plan));
    }
    std::size_t index = 0;
    for (const cJSON* discount : json::Elements(json::Member(payload, "discount"))) {
        if (index >= plans.size())
            break;
        RechargePlan& plan = plans[index++];
        plan.discount = Utf8ToWide(DecimalText(discount));
        plan.amountText = DoubleToWide(WideToDouble(plan.points) * WideToDouble(plan.discount));
    }
    // Plans without a discount still show an amount.
    for (; index < plans.size(); ++index)
        plans[index].amountText = L"0";
    const cJSON* limit = json::Member(payload, "limit");
    if (limit && !json::IsNull(limit))
        offer.minimum = AnsiToInt(DecimalText(limit));
}

void ReadPurchasePlans(const cJSON* payload, std::vector<PurchasePlan>& plans)
{
    for (const cJSON* item : json::Elements(payload)) {
        if (!json::IsObject(item))
            continue;
        PurchasePlan plan;
        plan.type = json::Utf8Text(item, "type");
        plan.pix = json::Utf8Text(item, "pix");
        plan.memory = json::Utf8Text(item, "memory");
        plan.core = json::Utf8Text(item, "core");
        plan.desc = json::AnsiText(item, "desc");
        const cJSON* prices = json::Member(item, "price");
        if (json::IsObject(prices)) {
            for (const cJSON* price = prices->child; price; price = price->next) {
                const int days = AnsiToInt(price->string ? price->string : "");
                plan.prices.emplace(days, AnsiToInt(DecimalText(price)));
            }
        }
        plans.push_back(std::move(plan));
    }
}

void LoadRechargePlans(ClientManager& owner, TaskArg)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_device_recharge_args";
    const ServiceReply reply = CallService(request);
    const bool read = reply.succeeded() && reply.envelope.payload;
    RechargeOffer offer;
    if (read)
        ReadRechargePlans(reply.envelope.payload.get(), offer);
    {
        std::lock_guard lock(owner.commerce.loadMutex);
        owner.commerce.loadedRecharge = std::move(offer);
    }
    if (read)
        owner.Send(msg::UM_RECHARGE_ARGS, msg::kRechargeArgsLoaded, std::wstring());
    else
        owner.Send(
            msg::UM_RECHARGE_ARGS, msg::kRechargeArgsFailed, FailureText(reply, L"获取充值套餐失败！"));
}

void LoadPurchasePlans(ClientManager& owner, TaskArg)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_device_buy_list";
    const ServiceReply reply = CallService(request);
    const bool read = reply.succeeded() && reply.envelope.payload;
    std::vector<PurchasePlan> plans;
    if (read)
        ReadPurchasePlans(reply.envelope.payload.get(), plans);
    {
        std::lock_guard lock(owner.commerce.loadMutex);
        owner.commerce.loadedPurchasePlans = std::move(plans);
    }
    if (read)
        owner.Send(msg::UM_BUY_LIST, msg::kBuyListLoaded, std::wstring());
    else
        owner.Send(msg::UM_BUY_LIST, msg::kBuyListFailed, FailureText(reply, L"获取设备套餐失败！"));
}

void AdoptRechargePlans(CommerceMembers& members)
{
    std::lock_guard lock(members.loadMutex);
    members.rechargePlans = std::move(members.loadedRecharge.plans);
    if (members.loadedRecharge.minimum)
        members.rechargeMinimum = *members.loadedRecharge.minimum;
    members.loadedRecharge = RechargeOffer {};
}

void AdoptPurchasePlans(CommerceMembers& members)
{
    std::lock_guard lock(members.loadMutex);
    members.purchasePlans = std::move(members.loadedPurchasePlans);
    members.loadedPurchasePlans.clear();
}
