#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
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

// What device control keeps per device (by id): its reset count (a reset
// gives a fresh screen), the input the player sent and the last tap.
struct DeviceControlRecord {
    int resets = 0;
    int lastTapX = -1;
    int lastTapY = -1;
    std::vector<std::string> inputs;  // "tap x y" / "swipe x1 y1 x2 y2", oldest first
};

// Device control's share of the world. A reboot or reset takes the device
// offline (its capture and live screen are refused) for `busyTime`; a
// restorer thread brings it back under the world lock.
class ControlState : public DomainState {
public:
    ControlState() = default;
    ~ControlState() override;
    ControlState(const ControlState&) = delete;
    ControlState& operator=(const ControlState&) = delete;

    // The world whose devices it takes offline and back; starts the restorer.
    void Attach(World& world);

    void Seed(WorldKind kind) override;

    DeviceControlRecord& Device(const std::string& id) { return m_devices[id]; }
    const DeviceControlRecord* FindDevice(const std::string& id) const;

    // Takes the user's device offline until busyTime has passed. Caller
    // holds the world lock.
    void MakeBusy(std::int64_t userId, const std::string& deviceId);

    std::vector<DeviceUpload> uploads;
    std::chrono::milliseconds busyTime{3000};

private:
    struct Pending {
        std::int64_t userId;
        std::string deviceId;
        std::chrono::steady_clock::time_point until;
        unsigned generation;
    };
    void Restore();

    World* m_world = nullptr;
    std::map<std::string, DeviceControlRecord> m_devices;
    std::mutex m_pendingMutex;
    std::condition_variable m_wake;
    std::vector<Pending> m_pending;
    unsigned m_generation = 0;  // raised by every reset of the world
    bool m_stop = false;
    std::thread m_restorer;
};

ControlState& Controls(World& world);

// A frame of a device's live screen as JPEG: a phone home screen in the
// device's own colour, the last tap as a ring, `tick` moving the clock bar.
std::string RenderDeviceScreen(const std::string& sn, const DeviceControlRecord& record, std::int64_t tick);

}  // namespace service
