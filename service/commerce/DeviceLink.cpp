#include "service/commerce/DeviceLink.h"

#include <algorithm>
#include <cstdlib>

#include "service/devices/DeviceState.h"

namespace service {

namespace {

    constexpr std::int64_t kDay = 86400;

} // namespace

std::optional<std::string> DevicePlanType(World& world, std::int64_t userId, const std::string& deviceId)
{
    const DeviceEntry* device = Devices(world).Find(userId, deviceId);
    if (!device)
        return std::nullopt;
    return device->bind_plan_type;
}

void AddRentedDevices(World& world, std::int64_t userId, const std::string& planType, int days, int count)
{
    DeviceState& devices = Devices(world);
    for (int i = 0; i < count; ++i) {
        DeviceEntry device;
        device.id = devices.NextId();
        device.name = planType + "设备" + device.id;
        device.sn = "VM" + device.id;
        device.ip = "10.9." + std::to_string(std::atoi(device.id.c_str()) / 250) + "."
            + std::to_string(std::atoi(device.id.c_str()) % 250 + 1);
        device.online = true;
        device.time_left = days * kDay;
        device.bind_plan_type = planType;
        devices.Add(userId, std::move(device));
    }
}

void ExtendDevices(World& world, std::int64_t userId, const std::vector<std::string>& deviceIds, int days)
{
    for (const std::string& id : deviceIds) {
        if (DeviceEntry* device = Devices(world).Find(userId, id))
            device->time_left = std::max<std::int64_t>(device->time_left, 0) + days * kDay;
    }
}

} // namespace service
