#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "service/World.h"

namespace service {

// One file a device received through the upload call.
struct DeviceUpload {
    std::string deviceId;
    std::string filename;  // the "filename" part, UTF-8
    std::string content;   // the file's bytes
    std::string isApp;     // "0" single file, "2" batch, "1" an app package
};

// What device control keeps per device: whether it is rebooting (its capture
// and its live screen are refused until then), its reset count, the input
// the player sent, and every file uploaded to it.
struct DeviceControlRecord {
    std::chrono::steady_clock::time_point busyUntil{};
    int resets = 0;
    int lastTapX = -1;
    int lastTapY = -1;
    std::vector<std::string> inputs;  // "tap x y" / "swipe x1 y1 x2 y2", oldest first
};

class ControlState : public DomainState {
public:
    void Seed(WorldKind kind) override;

    DeviceControlRecord& Device(const std::string& id) { return m_devices[id]; }
    const DeviceControlRecord* FindDevice(const std::string& id) const;
    bool IsBusy(const std::string& id) const;

    std::vector<DeviceUpload> uploads;
    // How long a reboot or reset keeps a device from answering.
    std::chrono::milliseconds busyTime{3000};

private:
    std::map<std::string, DeviceControlRecord> m_devices;
};

ControlState& Controls(World& world);

// A frame of a device's live screen as JPEG: a phone home screen in the
// device's own colour, the last tap as a ring, `tick` moving the clock bar.
std::string RenderDeviceScreen(const std::string& sn, const DeviceControlRecord& record, std::int64_t tick);

}  // namespace service
