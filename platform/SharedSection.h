#pragma once

#include <cstddef>
#include <string>

// The named shared-memory section through which the synchronised-control
// program gets its device list: POSIX shared memory "/moreplay".
inline constexpr const char* kSyncSectionName = "/moreplay";
inline constexpr std::size_t kSyncSectionSize = 1048576;

// Writes `text` into the section: created (or opened when it exists) with
// kSyncSectionSize bytes, mapped whole, filled with zeros, then the text.
// The section and its mapping stay open for the rest of the process, so a
// later write rewrites the same memory. False when the section cannot be
// made or the text with its terminating zero does not fit.
bool WriteSyncSection(const std::string& text);

// Reads the section's text up to its first zero byte (the synchronised-
// control program's side; also for tests). Empty when there is none.
std::string ReadSyncSection();

// Tests: use another section name (empty: back to kSyncSectionName).
void SetSyncSectionNameForTesting(const std::string& name);
