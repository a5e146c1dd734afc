#pragma once

#include <cstdint>

// The four version parts written in decimal one after the other and read as
// one number: 1.0.1.5 gives 1015, 1.2.10.3 gives 12103. The service forms its
// "version" the same way.
std::int64_t VersionNumberOf(int major, int minor, int build, int revision);

// The number of this program's own version.
std::int64_t ProgramVersionNumber();
