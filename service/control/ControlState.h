#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "service/World.h"
#include "service/control/DeviceScreen.h"
#include "service/control/PlayStream.h"

namespace service {

// One file a device received through the upload call.
struct DeviceUpload {
    std::string deviceId;
    std::string filename; // the "filename" part, UTF-8
    std::string content; // the file's bytes
    std::string isApp; // "0" single file, "2" batch, "1" an app package
};

// What device control keeps per device (by id): its reset count (a reset
// gives a fresh screen).
struct DeviceControlRecord {
    int resets = 0;
};

// Device control's share of the world. A reboot or reset takes the device
// offline (its capture and live screen are refused, its streams end) for
// `busyTime`; a restorer thread brings it back under the world lock. The
// play stream admits a player whose session was handed the device's play
// address; each device has one living screen, made on first use.
class ControlState : public DomainState {
public:
    ControlState() = default;
    ~ControlState() override;
    ControlState(const ControlState&) = delete;
    ControlState& operator=(const ControlState&) = delete;

    // The world whose devices it takes offline and back; starts the restorer.
    void Attach(World& world);
    PlayStreamServer& Stream() { return *m_stream; }

    void Seed(WorldKind kind) override;

    DeviceControlRecord& Device(const std::string& id) { return m_devices[id]; }
    const DeviceControlRecord* FindDevice(const std::string& id) const;

    // Takes the user's device offline until busyTime has passed. Caller
    // holds the world lock.
    void MakeBusy(std::int64_t userId, const std::string& deviceId);

    // The play address was handed to this session for this device.
    void Grant(const std::string& session, const std::string& deviceId);
    // The living screen of the user's device (made on first use), or null
    // for a device that is not his. Caller holds the world lock.
    std::shared_ptr<DeviceScreen> ScreenOf(std::int64_t userId, const std::string& deviceId);
    std::shared_ptr<DeviceScreen> FindScreen(const std::string& deviceId) const;
    // A reset device starts from a fresh screen.
    void ForgetScreen(const std::string& deviceId) { m_screens.erase(deviceId); }

    std::vector<DeviceUpload> uploads;
    std::chrono::milliseconds busyTime { 3000 };

private:
    struct Pending {
        std::int64_t userId;
        std::string deviceId;
        std::chrono::steady_clock::time_point until;
        unsigned generation;
    };
    void Restore();
    Admission Admit(const stream::Hello& hello);

    World* m_world = nullptr;
    std::map<std::string, DeviceControlRecord> m_devices;
    std::map<std::string, std::shared_ptr<DeviceScreen>> m_screens;
    std::set<std::pair<std::string, std::string>> m_grants; // (session, device id)
    std::unique_ptr<PlayStreamServer> m_stream;
    std::mutex m_pendingMutex;
    std::condition_variable m_wake;
    std::vector<Pending> m_pending;
    unsigned m_generation = 0; // raised by every reset of the world
    bool m_stop = false;
    std::thread m_restorer;
};

ControlState& Controls(World& world);

// One picture of a device's living screen as JPEG, at width x height.
std::string ScreenJpeg(const DeviceScreen& screen, int width, int height);

} // namespace service
