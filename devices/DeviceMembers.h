#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/WindowHandle.h"

// One rented device. The index of a record in the device list is the device
// index that task arguments, message parameters and control tags carry.
struct DeviceRecord {
    std::wstring id;
    std::wstring name;
    std::wstring ip;
    std::wstring bind_plan_type;
    std::wstring port;
    std::wstring sn;
    std::wstring group_id;
    bool online = false;
    std::int64_t time_left = 0;
    std::wstring expiry_text;
    std::wstring upload_path;
    int tile_index = -1;
    bool upload_busy = false;
    bool operation_busy = false;
    bool player_open = false;
    bool selected = false;
};

// One device group; the 8-bit texts are in the client's code page (936).
struct DeviceGroupRecord {
    std::string id;
    std::string name;
    std::wstring edited_name;
};

// The device feature's part of the ClientManager: the group list, the device
// list (each record with its flags).
//
// Only the window thread changes the shape of `devices` (a load collects its
// records in `loaded` and the window swaps them in when the load reports), and
// it does so holding `listMutex`. A worker that reads or writes one record by
// index takes `listMutex` and checks the index (and the id it started with),
// so a list replaced meanwhile is never walked past its end.
struct DeviceMembers {
    std::vector<DeviceGroupRecord> groups;
    std::vector<DeviceRecord> devices;

    // The records of the load that is running, handed over with its result.
    std::vector<DeviceRecord> loaded;
    // A copy of the first page of a load of several pages, handed over
    // (under `listMutex`) with the progress message that follows it, so the
    // window can show those tiles while the other pages come. `firstPageShown`
    // is how many of them the window put into `devices`.
    std::vector<DeviceRecord> firstPage;
    bool firstPageReady = false;
    std::size_t firstPageShown = 0;
    std::mutex listMutex;
    // The owner of the boxes the device requests show from their workers.
    WindowHandle boxOwner = nullptr;

    // The group list of the load that is running, handed over with 1140.
    std::vector<DeviceGroupRecord> loadedGroups;

    // Group sets waiting to be saved, oldest first: one saver at a time
    // sends them, so the service gets them in the order they were made.
    std::mutex saveMutex;
    std::deque<std::wstring> pendingGroupSets;
    bool groupSaverRunning = false;
};

// The window changes a device's selection under listMutex: the synchronised
// start and the batch upload read the selection on their workers.
inline void SetDeviceSelected(DeviceMembers& members, std::size_t index, bool selected)
{
    std::lock_guard lock(members.listMutex);
    if (index < members.devices.size())
        members.devices[index].selected = selected;
}
// Only the device at index stays selected.
inline void SelectOnlyDevice(DeviceMembers& members, std::size_t index)
{
    std::lock_guard lock(members.listMutex);
    for (std::size_t i = 0; i < members.devices.size(); ++i)
        members.devices[i].selected = i == index;
}
