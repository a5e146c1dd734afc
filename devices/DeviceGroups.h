#pragma once

#include <string>
#include <vector>

#include "app/Task.h"
#include "devices/DeviceMembers.h"

struct cJSON;

// Device groups as the service keeps them (one ordered set of id-name pairs
// per user) and the requests that change a device's group or name.

inline constexpr const wchar_t* kDeviceRequestCaption = L"提示";
// A group name with characters the client's code page (936) cannot hold.
inline constexpr const wchar_t* kGroupNameNotStorableText = L"分组名含有无法保存的字符，请换用其他文字";

// The groups of a payload object, one per member in document order: id = the
// member name, name = its string value (empty for other types; a null member
// gives an empty id too).
std::vector<DeviceGroupRecord> ParseGroups(const cJSON* payload);

// "&groups={" + "\"id\":\"name\"" per group, joined by ",", + "}". Quotes,
// backslashes and control characters inside ids and names are escaped, so
// the value stays the JSON object it claims to be.
std::wstring GroupSetParams(const std::vector<DeviceGroupRecord>& groups);

// The smallest decimal id from 1 up that no group has (past 100 if need be).
std::string NextGroupId(const std::vector<DeviceGroupRecord>& groups);
// "新分组" + id, in code page 936.
std::string NewGroupName(const std::string& id);
// True when some group has exactly this 8-bit name.
bool GroupNameTaken(const std::vector<DeviceGroupRecord>& groups, const std::string& name);

// Parameter texts of "/api/qtz/front_device_set".
std::wstring DeviceGroupParams(const DeviceRecord& device);
// Every selected device's id followed by "," and the group of the last one
// (all of them are in the chosen group by then).
std::wstring SelectedDevicesGroupParams(const std::vector<DeviceRecord>& devices);
std::wstring DeviceNameParams(const DeviceRecord& device);

// The group load: owner.devices.loadedGroups from
// "/api/qtz/front_device_groups_get", then UM_DEVICES 1140 with the text
// whatever happened (the window adopts the groups and loads the devices).
void LoadGroups(ClientManager& owner, TaskArg argument);

// Queues a group set (window thread) and starts the saver unless one runs.
// The saver sends the queued sets one after another to
// "/api/qtz/front_device_groups_set" and sends UM_DEVICES 1141 after each.
// False when no saver could be started (the set stays queued for the next).
bool QueueGroupSave(const std::shared_ptr<ClientManager>& owner, std::wstring params);
void SaveGroups(ClientManager& owner, TaskArg argument);

// The device requests; each takes its parameter text (made on the window
// thread) and shows its box from the
// worker once the service answered: success or failure text, caption "提示".
void SaveDeviceGroup(ClientManager& owner, std::wstring& params);
void SaveSelectedDevicesGroup(ClientManager& owner, std::wstring& params);
void SaveDeviceName(ClientManager& owner, std::wstring& params);
