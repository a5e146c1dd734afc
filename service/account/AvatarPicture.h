#pragma once

#include <cstdint>
#include <string>

namespace service {

// A 128 × 128 PNG: a round face in the colour (0xRRGGBB), transparent around it, the
// picture the seeded users start with.
std::string SeedAvatar(std::uint32_t rgb);

} // namespace service
