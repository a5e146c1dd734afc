#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

// The named shared-memory section through which the synchronised-control
// program gets its device list: POSIX shared memory "/moreplay" followed by
// the numeric user id, so that users of one machine never share (or block)
// each other's section.
inline constexpr const char* kSyncSectionPrefix = "/moreplay";
inline constexpr std::size_t kSyncSectionSize = 1048576;

// "/moreplay" + the decimal user id, e.g. "/moreplay1000".
std::string SyncSectionNameFor(uid_t user);
// The name the calling process uses: its own user's (or a test's override).
std::string SyncSectionName();

// Writes `text` into a section made afresh: a section left from an earlier
// start (or a crashed run) is removed first, then one of kSyncSectionSize
// bytes is created, mode 0600, filled with zeros and the text. False when
// the section cannot be made (also when a name of another owner is in the
// way) or the text with its terminating zero does not fit.
bool WriteSyncSection(const std::string& text);

// Reads the section's text up to its first zero byte (the synchronised-
// control program's side; also for tests). Empty when there is none, or when
// the section does not belong to the calling user.
std::string ReadSyncSection();

// Removes the section this process made, if any (at the client's end).
void RemoveSyncSection();

// Tests: use another section name (empty: back to the user's own name).
void SetSyncSectionNameForTesting(const std::string& name);
// Tests: the synchronised-control program reads the section this variable
// names, so that test processes running side by side keep theirs apart.
inline constexpr const char* kSyncSectionTestVariable = "KORVANA_TOOL_SECTION";
