#pragma once

#include <string>
#include <vector>

#include "platform/ExternalProgram.h"

struct DeviceRecord;

// The texts handed to the external programs.

// The player's command line: "ZorIzoriz.exe" then sn, ip, port, the session
// placeholder "-", user, "1", "0", "not", "0" and the name, joined by single
// spaces, nothing quoted (a name with spaces becomes several words at the
// end). Every local user can read a command line, so the play session goes
// to the player in its environment (kPlaySessionVariable) instead.
std::wstring PlayerCommandLine(const DeviceRecord& device, const std::wstring& userId);

inline constexpr const wchar_t* kPlaySessionPlaceholder = L"-";
inline constexpr const char* kPlaySessionVariable = "KORVANA_PLAY_SESSION";

// What both helpers get in their environment: the transport of the client's
// build ("KORVANA_PLAY_SCHEME" http or https, and the pinned CA bundle in
// "KORVANA_PLAY_CA"). The player gets kPlaySessionVariable on top.
std::vector<EnvironmentVariable> HelperEnvironment();

inline constexpr const wchar_t* kSyncCommandLine = L"DizuZivo.exe";

// The synchronised-control device list: one JSON array in one line, an
// object per device in the given order with the keys SessionID, UserID,
// PadCode, PadID, PadName, Ip (strings) and Port (the port text as a number).
// Quotes, backslashes and control characters in the values are escaped, so
// a name cannot break the array; ordinary values come out as they are. A
// port text that is no decimal number is written as 0.
std::wstring SyncDeviceList(
    const std::vector<const DeviceRecord*>& devices, const std::wstring& session, const std::wstring& userId);

// A value as it goes between the quotes of a JSON string.
std::wstring EscapeJsonText(const std::wstring& text);
