#include "devices/DeviceList.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <optional>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "net/JsonRead.h"
#include "net/NumberText.h"
#include "net/PagedLoad.h"
#include "net/ServiceCall.h"
#include "platform/DebugLog.h"

std::wstring FormatTimeLeft(std::int64_t ms)
{
    if (ms <= 0)
        return L"已过期";
    constexpr std::int64_t kDayMs = 86400000;
    constexpr std::int64_t kHourMs = 3600000;
    const std::int64_t days = ms / kDayMs;
    const std::int64_t hours = (ms - days * kDayMs) / kHourMs;
    if (days != 0)
        return L"可用" + Int64ToWide(days) + L"天" + Int64ToWide(hours) + L"时";
    if (hours != 0)
        return L"可用" + Int64ToWide(hours) + L"时";
    return L"即将过期";
}

void ParseDevicePage(const cJSON* payload, std::vector<DeviceRecord>& devices)
{
    for (const cJSON* item : json::Elements(json::Member(payload, "data"))) {
        DeviceRecord record;
        json::ReadUtf8Text(item, "id", record.id);
        // Present but empty: the id stands in; absent: the name stays empty.
        if (json::ReadAnsiText(item, "name", record.name) && record.name.empty())
            record.name = L"ID:" + record.id;
        json::ReadUtf8Text(item, "ip", record.ip);
        json::ReadUtf8Text(item, "sn", record.sn);
        record.online = json::IsString(json::Member(item, "online_status"))
            && json::Utf8Text(item, "online_status") == L"1";
        std::wstring timeLeft;
        if (json::ReadUtf8Text(item, "time_left", timeLeft)) {
            record.time_left = WideToInt64(timeLeft);
            // Seconds to milliseconds, saturating rather than wrapping.
            constexpr std::int64_t kLimit = INT64_MAX / 1000;
            const std::int64_t ms = record.time_left > kLimit ? INT64_MAX
                : record.time_left < -kLimit                  ? INT64_MIN
                                                              : record.time_left * 1000;
            record.expiry_text = FormatTimeLeft(ms);
        }
        json::ReadUtf8Text(item, "bind_plan_type", record.bind_plan_type);
        json::ReadUtf8Text(item, "group_id", record.group_id);
        devices.push_back(std::move(record));
    }
}

std::wstring DevicePageParams(int page)
{
    return L"&type=0&page_size=" + IntToWide(kDevicePageSize) + L"&page_index=" + IntToWide(page);
}

std::wstring UnusableCaption(const DeviceRecord& d)
{
    if (IsOffline(d))
        return L"设备" + d.id + L"离线，请联系客服";
    if (IsExpired(d))
        return L"设备" + d.id + L"到期，请充值";
    return {};
}

void LoadDeviceList(ClientManager& owner, TaskArg)
{
    std::vector<DeviceRecord>& loaded = owner.devices.loaded;
    loaded.clear();
    std::wstring failure;
    bool failed = false;
    std::wstring lastText;
    int percentPosted = 0;

    PagedLoad load;
    load.maxPages = kMaxDevicePages;
    load.fetch = [](int page, const CancelToken& cancel) {
        ServiceRequest request;
        request.path = "/api/qtz/front_device_list";
        request.params = DevicePageParams(page);
        request.standardLog = false;
        request.cancel = cancel;
        return CallService(request);
    };
    load.accept = [&](int page, ServiceReply& reply) -> std::optional<std::int64_t> {
        auto fail = [&](std::wstring text) -> std::optional<std::int64_t> {
            failed = true;
            failure = std::move(text);
            return std::nullopt;
        };
        if (reply.stage == ServiceStage::NotCreated || reply.stage == ServiceStage::InitFailed) {
            DebugLogA("curl init failure!!!!!\n");
            return fail(kLoadInitFailedText);
        }
        if (reply.stage == ServiceStage::TransferFailed) {
            DebugLogA("%d\n", reply.result);
            return fail(kLoadTransferFailedText);
        }
        DebugLogA("%s\n", reply.body.c_str());
        if (!reply.envelope.success) {
            // An answer that is no envelope at all carries no text: say what
            // happened instead of an empty box.
            const std::wstring& text = reply.envelope.messageText;
            return fail(text.empty() ? std::wstring(kRequestFailedText) : text);
        }
        const cJSON* payload = reply.envelope.payload.get();
        std::int64_t pages = 0;
        json::ReadInt64(payload, "pages", pages);
        std::int64_t total = 0;
        if (page == 1 && json::ReadInt64(payload, "total", total) && total > 0) {
            // Room for the whole list at once, within reason: the total is
            // only what the service says.
            constexpr std::int64_t kMostReserved = 10000;
            loaded.reserve(static_cast<std::size_t>(std::min(total, kMostReserved)));
        }
        ParseDevicePage(payload, loaded);
        const bool firstOfSeveral = page == 1 && pages > 1;
        if (firstOfSeveral) {
            std::lock_guard lock(owner.devices.listMutex);
            owner.devices.firstPage = loaded;
            owner.devices.firstPageReady = true;
        }
        if (pages > 0) {
            // Against the pages that will really be read, and only when the
            // whole percent has risen.
            const std::int64_t read = std::min<std::int64_t>(pages, kMaxDevicePages);
            const int percent = static_cast<int>(std::min<std::int64_t>(page, read) * 100 / read);
            if (percent > percentPosted || firstOfSeveral) {
                percentPosted = percent;
                owner.Post(msg::UM_DEVICES, msg::kDevicesProgress, static_cast<LPARAM>(percent));
            }
        }
        lastText = reply.envelope.messageText;
        return pages;
    };
    const PagedLoadResult result = RunPagedLoad(load);
    if (result.end == PagedLoadEnd::Cancelled) {
        // A sign-out, or the end of the window: nothing to tell.
        owner.Send(msg::UM_DEVICES, msg::kDevicesFailed, std::wstring());
        return;
    }
    if (failed)
        owner.Send(msg::UM_DEVICES, msg::kDevicesFailed, failure);
    else
        owner.Send(msg::UM_DEVICES, msg::kDevicesRead, lastText);
}

std::vector<DeviceRecord> AdoptLoadedDevices(DeviceMembers& members, bool* appended)
{
    std::vector<DeviceRecord> previous;
    std::lock_guard lock(members.listMutex);
    if (appended)
        *appended = false;
    const std::size_t shown = members.firstPageShown;
    members.firstPage.clear();
    members.firstPageReady = false;
    members.firstPageShown = 0;
    if (shown > 0 && members.devices.size() == shown && members.loaded.size() >= shown) {
        members.devices.insert(members.devices.end(),
            std::make_move_iterator(members.loaded.begin() + static_cast<long>(shown)),
            std::make_move_iterator(members.loaded.end()));
        members.loaded.clear();
        if (appended)
            *appended = true;
        return previous;
    }
    previous.swap(members.devices);
    members.devices.swap(members.loaded);
    members.loaded.clear();
    return previous;
}

bool AdoptFirstPage(DeviceMembers& members, std::vector<DeviceRecord>& previous)
{
    std::lock_guard lock(members.listMutex);
    if (!members.firstPageReady || members.firstPageShown > 0)
        return false;
    previous.swap(members.devices);
    members.devices.swap(members.firstPage);
    members.firstPage.clear();
    members.firstPageReady = false;
    members.firstPageShown = members.devices.size();
    return members.firstPageShown > 0;
}

std::vector<DeviceRecord> CopyOfDevices(DeviceMembers& members)
{
    std::lock_guard lock(members.listMutex);
    return members.devices;
}
