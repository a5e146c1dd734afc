#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Task.h"
#include "devices/DeviceMembers.h"

struct cJSON;

// The device list: the paged load, the reading of one page, and the status
// rules and texts every view of a device uses.

inline constexpr int kDevicePageSize = 10;
// A "pages" above this is taken as this (10 000 devices): a service that
// reports a million pages must not keep the load requesting for hours.
inline constexpr int kMaxDevicePages = 1000;
inline constexpr const wchar_t* kMyDevicesText = L"我的设备";
inline constexpr const wchar_t* kLoadInitFailedText = L"curl 错误：initCurlResource(...)";
inline constexpr const wchar_t* kLoadTransferFailedText = L"curl 错误：Perform(...)";

// The expiry text of a remaining time in milliseconds: "已过期" (<= 0),
// "可用<d>天<h>时", "可用<h>时", or "即将过期" (under an hour).
std::wstring FormatTimeLeft(std::int64_t milliseconds);

// Appends one record per element of the payload's "data" array, in order.
// Values that are not JSON strings leave the field at its start value.
void ParseDevicePage(const cJSON* payload, std::vector<DeviceRecord>& devices);

// The parameter text of page n (from 1).
std::wstring DevicePageParams(int page);

// Status rules: offline (faulty) and expired are independent; usable is
// online and not expired.
inline bool IsOffline(const DeviceRecord& d)
{
    return !d.online;
}
inline bool IsExpired(const DeviceRecord& d)
{
    return d.time_left <= 0;
}
inline bool IsUsable(const DeviceRecord& d)
{
    return d.online && d.time_left > 0;
}

// The caption of a tile whose device is not usable, else empty.
std::wstring UnusableCaption(const DeviceRecord& d);

// The task: reads every page of "/api/qtz/front_device_list" into
// owner.devices.loaded (RunPagedLoad: page 1, then the others overlapped,
// taken in page order), posting UM_DEVICES 1135 each time the whole percent
// rises, and ends with 1136 (all read, the message text of the last page) or
// 1137 (the failure text of the first page, in page order, that failed)
// sent. Records read before a failure stay in `loaded`; those of later pages
// never reach it. With the task's token cancelled (a sign-out), it ends
// before the next page with 1137 and no text. A list of
// more than one page also hands a copy of page 1 over (DeviceMembers::
// firstPage) and posts 1135 right after it, even at 0 percent.
void LoadDeviceList(ClientManager& owner, TaskArg argument);

// Window thread, on 1136/1137: the loaded records become the device list
// (under the list lock); the previous records and their flags leave it and
// are returned, for the caller to free when it suits. When the first page
// was shown already (AdoptFirstPage), its records stay as they are (with
// what the user did to them meanwhile) and the later pages are appended;
// `appended`, when given, tells which of the two happened.
std::vector<DeviceRecord> AdoptLoadedDevices(DeviceMembers& members, bool* appended = nullptr);

// A copy of the list, taken under the list lock, for views built from the
// fields a play task writes (the play address, player_open): tool tips.
std::vector<DeviceRecord> CopyOfDevices(DeviceMembers& members);

// Window thread, on a 1135 of a load of several pages: when the first page
// has been handed over, it becomes the device list and true comes back; the
// previous records are moved to `previous`.
bool AdoptFirstPage(DeviceMembers& members, std::vector<DeviceRecord>& previous);
