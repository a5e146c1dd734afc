#pragma once

#include <cstdint>
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
    WindowHandle player_window = nullptr;
};

// One device group; the 8-bit texts are in the client's code page (936).
struct DeviceGroupRecord {
    std::string id;
    std::string name;
    std::wstring edited_name;
};

// The device feature's part of the ClientManager: the group list, the device
// list (each record with its player window and flags) and the window of the
// synchronised-operation program.
struct DeviceMembers {
    std::vector<DeviceGroupRecord> groups;
    std::vector<DeviceRecord> devices;
    // The synchronised-control program's top-level window, null when closed.
    WindowHandle syncWindow = nullptr;
};
