#include "devices/DeviceGroups.h"

#include <cjson/cJSON.h>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "net/JsonRead.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"
#include "platform/DebugLog.h"
#include "platform/MessageBox.h"

namespace {

std::wstring JsonEscaped(const std::string& ansi)
{
    std::wstring out;
    for (wchar_t c : AnsiToWide(ansi)) {
        if (c == L'"' || c == L'\\') {
            out += L'\\';
            out += c;
        } else if (c < 0x20) {
            static const wchar_t hex[] = L"0123456789abcdef";
            out += L"\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// The three device requests share their shape and differ in their texts.
void SaveDeviceSetting(
    ClientManager& owner, const std::wstring& params, const wchar_t* successText, const wchar_t* failureText)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_device_set";
    request.params = params;
    request.paramsToUtf8 = true;
    const ServiceReply reply = CallService(request);
    if (reply.stage != ServiceStage::Answered)
        return;
    std::wstring text = reply.envelope.success ? successText
        : failureText                          ? failureText
                                               : reply.envelope.messageText;
    if (text.empty())
        text = kRequestFailedText;
    MessageBox(
        text, kDeviceRequestCaption, MessageBoxButtons::Ok, MessageBoxIcon::None, owner.devices.boxOwner);
}

} // namespace

std::vector<DeviceGroupRecord> ParseGroups(const cJSON* payload)
{
    std::vector<DeviceGroupRecord> groups;
    if (!json::IsObject(payload))
        return groups;
    for (const cJSON* member = payload->child; member != nullptr; member = member->next) {
        DeviceGroupRecord group;
        if (!json::IsNull(member)) {
            group.id = member->string ? member->string : "";
            group.name = json::TextOf(member);
        }
        groups.push_back(std::move(group));
    }
    return groups;
}

std::wstring GroupSetParams(const std::vector<DeviceGroupRecord>& groups)
{
    std::wstring text = L"&groups={";
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (i != 0)
            text += L",";
        text += L"\"" + JsonEscaped(groups[i].id) + L"\":\"" + JsonEscaped(groups[i].name) + L"\"";
    }
    return text + L"}";
}

std::string NextGroupId(const std::vector<DeviceGroupRecord>& groups)
{
    for (std::size_t n = 1;; ++n) {
        const std::string id = std::to_string(n);
        bool used = false;
        for (const DeviceGroupRecord& group : groups)
            used = used || group.id == id;
        if (!used)
            return id;
    }
}

std::string NewGroupName(const std::string& id)
{
    return WideToAnsi(L"新分组") + id;
}

bool GroupNameTaken(const std::vector<DeviceGroupRecord>& groups, const std::string& name)
{
    for (const DeviceGroupRecord& group : groups) {
        if (group.name == name)
            return true;
    }
    return false;
}

std::wstring DeviceGroupParams(const DeviceRecord& device)
{
    return L"&id=" + device.id + L"&name=" + L"&group_id=" + device.group_id;
}

std::wstring SelectedDevicesGroupParams(const std::vector<DeviceRecord>& devices)
{
    std::wstring ids;
    std::wstring groupId;
    for (const DeviceRecord& device : devices) {
        if (!device.selected)
            continue;
        ids += device.id + L",";
        groupId = device.group_id;
    }
    return L"&id=" + ids + L"&name=" + L"&group_id=" + groupId;
}

std::wstring DeviceNameParams(const DeviceRecord& device)
{
    return L"&id=" + device.id + L"&name=" + device.name + L"&groups=" + device.name;
}

void LoadGroups(ClientManager& owner, TaskArg)
{
    std::vector<DeviceGroupRecord>& loaded = owner.devices.loadedGroups;
    loaded.clear();
    ServiceRequest request;
    request.path = "/api/qtz/front_device_groups_get";
    const ServiceReply reply = CallService(request);
    if (reply.succeeded())
        loaded = ParseGroups(reply.envelope.payload.get());
    owner.Send(msg::UM_DEVICES, msg::kGroupsLoaded, reply.text);
}

bool QueueGroupSave(const std::shared_ptr<ClientManager>& owner, std::wstring params)
{
    DeviceMembers& members = owner->devices;
    {
        std::lock_guard lock(members.saveMutex);
        members.pendingGroupSets.push_back(std::move(params));
        if (members.groupSaverRunning)
            return true;
        members.groupSaverRunning = true;
    }
    if (StartTask(owner, SaveGroups))
        return true;
    std::lock_guard lock(members.saveMutex);
    members.groupSaverRunning = false;
    return false;
}

void SaveGroups(ClientManager& owner, TaskArg)
{
    DeviceMembers& members = owner.devices;
    for (;;) {
        std::wstring params;
        {
            std::lock_guard lock(members.saveMutex);
            if (members.pendingGroupSets.empty()) {
                members.groupSaverRunning = false;
                return;
            }
            params = std::move(members.pendingGroupSets.front());
            members.pendingGroupSets.pop_front();
        }
        ServiceRequest request;
        request.path = "/api/qtz/front_device_groups_set";
        request.params = params;
        request.paramsToUtf8 = true;
        const ServiceReply reply = CallService(request);
        owner.Send(msg::UM_DEVICES, msg::kGroupsSaved, reply.text);
    }
}

void SaveDeviceGroup(ClientManager& owner, std::wstring& params)
{
    SaveDeviceSetting(owner, params, L"保存设备分组成功！", nullptr);
}

void SaveSelectedDevicesGroup(ClientManager& owner, std::wstring& params)
{
    SaveDeviceSetting(owner, params, L"保存设备名称成功！", L"保存设备名称失败！请刷新重试。");
}

void SaveDeviceName(ClientManager& owner, std::wstring& params)
{
    SaveDeviceSetting(owner, params, L"保存设备名称成功！", L"保存设备名称失败！请刷新重试。");
}
