#include "service/commerce/DeviceLink.h"

namespace service {

// The device domain is not part of this service yet: no user has devices.
std::optional<std::string> DevicePlanType(World&, std::int64_t, const std::string&)
{
    return std::nullopt;
}

void AddRentedDevices(World&, std::int64_t, const std::string&, int, int) {}

void ExtendDevices(World&, std::int64_t, const std::vector<std::string>&, int) {}

}  // namespace service
