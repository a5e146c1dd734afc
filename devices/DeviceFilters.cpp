#include "devices/DeviceFilters.h"

#include "devices/DeviceList.h"
#include "net/TextConvert.h"

GroupView GroupViewDevices(
    const std::vector<DeviceRecord>& devices, const std::vector<DeviceGroupRecord>& groups, int groupIndex)
{
    GroupView view;
    const int g = ClampGroupIndex(groupIndex, groups.size());
    const std::wstring groupId
        = g >= 1 ? GroupIdText(groups[static_cast<std::size_t>(g - 1)]) : std::wstring();
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const DeviceRecord& d = devices[i];
        if (IsOffline(d)) {
            view.anyOffline = true;
        } else if (IsExpired(d)) {
            view.anyExpired = true;
        } else if (g < 1 || d.group_id == groupId) {
            view.shown.push_back(static_cast<int>(i));
        }
    }
    return view;
}

std::vector<int> ExpiredDevices(const std::vector<DeviceRecord>& devices)
{
    std::vector<int> shown;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (IsExpired(devices[i]))
            shown.push_back(static_cast<int>(i));
    }
    return shown;
}

std::vector<int> OfflineDevices(const std::vector<DeviceRecord>& devices)
{
    std::vector<int> shown;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (IsOffline(devices[i]))
            shown.push_back(static_cast<int>(i));
    }
    return shown;
}

std::wstring AsciiLower(std::wstring_view text)
{
    std::wstring lower(text);
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return lower;
}

std::vector<int> SearchDevices(const std::vector<DeviceRecord>& devices, std::wstring_view text)
{
    const std::wstring needle = AsciiLower(text);
    std::vector<int> shown;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (AsciiLower(devices[i].name).find(needle) != std::wstring::npos)
            shown.push_back(static_cast<int>(i));
    }
    return shown;
}

int ClampGroupIndex(int index, std::size_t groupCount)
{
    return index < 0 || static_cast<std::size_t>(index) > groupCount ? 0 : index;
}

std::wstring GroupIdText(const DeviceGroupRecord& group)
{
    return AnsiToWide(group.id);
}

std::wstring GroupNameOf(const std::vector<DeviceGroupRecord>& groups, const std::wstring& groupId)
{
    for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
        if (GroupIdText(*it) == groupId)
            return AnsiToWide(it->name);
    }
    return L"未分组设备";
}
