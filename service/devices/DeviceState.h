#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "service/World.h"

namespace service {

// One rented device as the service keeps it. Texts are UTF-8; the list call
// sends every field as a JSON string.
struct DeviceEntry {
    std::string id;
    std::string name;
    std::string sn;
    std::string ip;
    bool online = true;
    std::int64_t time_left = 0; // seconds of rental left; <= 0 is expired
    std::string bind_plan_type;
    std::string group_id; // the id of one of the user's groups, or anything else for none
    // The device's current screen as JPEG bytes; made on first capture when empty.
    std::string screenshot;
};

// One group of the user's set: id and name, kept in the order the client saved.
struct DeviceGroup {
    std::string id;
    std::string name;
};

// What one user rents.
struct UserDevices {
    std::vector<DeviceEntry> devices; // in list order
    std::vector<DeviceGroup> groups; // in set order
};

// The devices and groups of every user. Other domains (control, market,
// commerce) read and extend it through Devices(world).
class DeviceState : public DomainState {
public:
    void Seed(WorldKind kind) override;

    // The user's devices and groups (an empty set for a user without any).
    UserDevices& Of(std::int64_t userId);
    // One of the user's devices by id, or null.
    DeviceEntry* Find(std::int64_t userId, const std::string& deviceId);
    // Appends a device; an empty id gets a fresh one unique across all users.
    DeviceEntry& Add(std::int64_t userId, DeviceEntry device);
    // A device id that no user has yet.
    std::string NextId() const;

    // Replaces the user's devices by `count` generated ones (large lists for
    // tests and benchmarks).
    void Generate(std::int64_t userId, int count);

    std::map<std::int64_t, UserDevices> users;
    // Test control: list pages (by page index) that answer with this
    // failure text instead, so a load can fail part way.
    std::map<long long, std::string> failingPages;
};

DeviceState& Devices(World& world);

// A recognisable JPEG screen for a device: its own colour and its number in
// large digits, width x height pixels.
std::string MakeDeviceScreen(const DeviceEntry& device, int width = 270, int height = 480);

} // namespace service
