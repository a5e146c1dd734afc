#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "devices/DeviceMembers.h"

// Which devices each view of the device page shows, as device indexes in
// list order. The page builds one tile per index.

struct GroupView {
    std::vector<int> shown;
    // Over all devices, whatever the group: the red dots of the two options.
    bool anyOffline = false;
    bool anyExpired = false;
};

// Group index g: 0 (or anything out of range) is every group; g >= 1 is the
// g-th group of the list. Only usable devices are shown.
GroupView GroupViewDevices(
    const std::vector<DeviceRecord>& devices, const std::vector<DeviceGroupRecord>& groups, int groupIndex);
std::vector<int> ExpiredDevices(const std::vector<DeviceRecord>& devices);
std::vector<int> OfflineDevices(const std::vector<DeviceRecord>& devices);
// Names that contain the text, with only A-Z folded to a-z on both sides.
std::vector<int> SearchDevices(const std::vector<DeviceRecord>& devices, std::wstring_view text);

std::wstring AsciiLower(std::wstring_view text);

// A group selector index kept within the list: 0 when it points past the
// groups (or is negative).
int ClampGroupIndex(int index, std::size_t groupCount);

// The id of a group as the devices carry it (wide).
std::wstring GroupIdText(const DeviceGroupRecord& group);
// The name of the device's group (the last group with its id), else
// "未分组设备".
std::wstring GroupNameOf(const std::vector<DeviceGroupRecord>& groups, const std::wstring& groupId);
