#include "commerce/Records.h"

#include <cjson/cJSON.h>

#include <cstdio>
#include <ctime>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "net/JsonRead.h"
#include "net/NumberText.h"
#include "net/PagedLoad.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"

namespace {

// A member the service may write as a text or as a number, as text.
std::wstring AnsiOrNumber(const cJSON* item, const char* key)
{
    const cJSON* member = json::Member(item, key);
    if (json::IsNumber(member)) {
        const double value = member->valuedouble;
        if (value == static_cast<double>(json::IntegerOf(member)))
            return Int64ToWide(json::IntegerOf(member));
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
        return AnsiToWide(buffer);
    }
    return json::AnsiText(item, key);
}

int IntOf(const cJSON* item, const char* key)
{
    const cJSON* member = json::Member(item, key);
    if (json::IsString(member))
        return AnsiToInt(json::TextOf(member));
    return json::IsNumber(member) ? json::Int32Of(member) : 0;
}

using ReadRecord = RecordEntry (*)(const cJSON*);

void LoadRecordPages(ClientManager& owner, const char* path, ReadRecord read)
{
    std::vector<RecordEntry> records;
    PagedLoad load;
    load.maxPages = kMaxRecordPages;
    load.fetch = [path](int page, const CancelToken& cancel) {
        ServiceRequest request;
        request.path = path;
        request.params = L"&type=14&page_size=10&page_index=" + IntToWide(page);
        request.cancel = cancel;
        return CallService(request);
    };
    // A page the service refuses (or that does not come) counts as 0 pages:
    // the load ends there with what it has.
    load.accept = [&](int, ServiceReply& reply) -> std::optional<std::int64_t> {
        int pages = 0;
        if (reply.succeeded()) {
            const cJSON* payload = reply.envelope.payload.get();
            std::int32_t pageIndex = 0;
            json::ReadInt32(payload, "page_index", pageIndex);
            json::ReadInt32(payload, "pages", pages);
            for (const cJSON* item : json::Elements(json::Member(payload, "data"))) {
                if (json::IsObject(item))
                    records.push_back(read(item));
            }
        }
        return pages;
    };
    RunPagedLoad(load);
    {
        std::lock_guard lock(owner.commerce.loadMutex);
        owner.commerce.loadedRecords = std::move(records);
    }
    owner.Send(msg::UM_RECORDS, msg::kRecordsRead, 0);
}

} // namespace

std::wstring FormatLocalDateTime(std::int64_t secondsSince1970)
{
    const std::time_t time = static_cast<std::time_t>(secondsSince1970);
    std::tm local {};
    if (!localtime_r(&time, &local))
        return std::wstring();
    wchar_t buffer[64];
    std::swprintf(buffer, 64, L"%d-%d-%d %d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
        local.tm_hour, local.tm_min, local.tm_sec);
    return buffer;
}

std::wstring PointRecordTypeText(int type)
{
    switch (type) {
    case -1:
        return L"赠送";
    case 1:
    case 3:
        return L"购买商品";
    case 2:
        return L"商品退款";
    case 5:
        return L"退款";
    default:
        return std::wstring();
    }
}

std::wstring OrderStatusText(int status)
{
    switch (status) {
    case 11:
        return L"请求失败";
    case 12:
        return L"等待支付";
    case 13:
        return L"处理中";
    case 14:
        return L"已完成";
    case 15:
        return L"已退款";
    default:
        return std::wstring();
    }
}

std::wstring PaymentKindText(int type)
{
    switch (type) {
    case 21:
        return L"支付宝WAP";
    case 22:
        return L"支付宝扫码";
    case 23:
        return L"支付宝APP";
    case 25:
        return L"支付宝WEB";
    case 31:
        return L"微信WAP";
    case 32:
        return L"微信扫码";
    case 33:
        return L"微信APP";
    case 43:
        return L"苹果APP";
    default:
        return std::wstring();
    }
}

RecordEntry ReadPointRecord(const cJSON* item)
{
    RecordEntry entry;
    entry.date = FormatLocalDateTime(WideToInt64(AnsiOrNumber(item, "create_at")));
    entry.plan = json::AnsiText(item, "name");
    entry.amount = AnsiOrNumber(item, "diff");
    entry.status = L"已完成";
    entry.description = PointRecordTypeText(IntOf(item, "type"));
    entry.id = AnsiOrNumber(item, "id");
    return entry;
}

RecordEntry ReadOrderRecord(const cJSON* item)
{
    RecordEntry entry;
    entry.date = FormatLocalDateTime(WideToInt64(AnsiOrNumber(item, "create_at")));
    const std::wstring product = json::Utf8Text(item, "product_name");
    entry.plan = product.empty() ? std::wstring(L"钱包充值")
                                 : product + L" " + AnsiOrNumber(item, "operate") + L"天";
    entry.amount = AnsiOrNumber(item, "amount");
    entry.status = OrderStatusText(IntOf(item, "status"));
    entry.description = PaymentKindText(IntOf(item, "type"));
    entry.id = AnsiOrNumber(item, "display_order_id");
    return entry;
}

void AdoptRecords(CommerceMembers& members)
{
    std::lock_guard lock(members.loadMutex);
    members.records = std::move(members.loadedRecords);
    members.loadedRecords.clear();
}

void LoadPointRecords(ClientManager& owner, TaskArg)
{
    LoadRecordPages(owner, "/api/qtz/front_device_money_change_list", ReadPointRecord);
}

void LoadOrderRecords(ClientManager& owner, TaskArg)
{
    LoadRecordPages(owner, "/api/qtz/front_device_order_list", ReadOrderRecord);
}
