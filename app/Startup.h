#pragma once

#include <string>

struct LocalPaths;
class SettingsFile;

// The start-up steps that run before the window exists, in the order the
// entry routine calls them. Each reports whether start-up may go on; where it
// may not, the user has been told (a box without owner, caption "提示",
// information icon, on top) and the program ends with exit code 0.

inline constexpr const char* kInstanceLockName = "{31c8110d-731d-fb82-52c3-3a31c800530e3a707ff}";

// 1. The single-instance lock. False when another copy holds it ("已经有一个
// 程序实例在运行！"); that copy is left alone. A lock that cannot be made at
// all does not keep the client from starting.
bool TakeSingleInstanceLock();

// 2. The per-user paths (InitLocalPaths), each written to the log.
const LocalPaths& PrepareLocalPaths();

// 3. A login never survives a restart: the previous run's cookie file goes.
// The sign-out deletes the session's cookie file with it too.
void DeleteStaleCookieFile(const LocalPaths& paths);

// 4. The per-user folder, then Cache/, then Icon/, each created when missing.
// False after the box for the first one that could not be made. The local
// data folder above them is created first when a fresh account lacks it.
bool CreateDataFolders(const LocalPaths& paths);

// After 4: the per-user folder and its Cache/ and Icon/ are the user's
// alone (0700), and so are config.ini, data.db and cookies.txt (0600): files
// and folders left wider by an earlier version are narrowed here.
void TightenLocalModes(const LocalPaths& paths);

// 5. Without a settings file: the first-run defaults.
void WriteFirstRunSettings(const SettingsFile& settings);

// 6 and 7. auto_start missing: write "1". Then with auto_start 1 (re)write
// the autostart entry with the current program path; with any other value
// the entry is neither written nor removed.
void KeepAutoStartInStep(const SettingsFile& settings);

// Steps 1 to 7 in order; false when the program is to end (exit code 0).
bool RunStartupSteps();

// The box every start-up failure uses.
void ShowStartupNotice(const std::wstring& text);
