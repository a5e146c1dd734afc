#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "service/World.h"

namespace service {

// What buying and renewing do to the user's rented devices.

// The plan type of one of the user's devices; none when he has no such device.
std::optional<std::string> DevicePlanType(World& world, std::int64_t userId, const std::string& deviceId);
// New devices of a plan type with `days` of rental.
void AddRentedDevices(World& world, std::int64_t userId, const std::string& planType, int days, int count);
// More rental days for the user's devices (an expired one starts from now).
void ExtendDevices(World& world, std::int64_t userId, const std::vector<std::string>& deviceIds, int days);

} // namespace service
