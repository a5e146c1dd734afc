#pragma once

#include <string>

// The file names of the update in the per-user folder.
inline constexpr const char* kInstallerFileName = "updata.exe";
inline constexpr const char* kBatchScriptFileName = "updata.bat";
inline constexpr const char* kShellScriptFileName = "updata.sh";

// The batch form of the hand-off: 14 lines joined by CR LF, no line break
// after the last. Once a second it counts the processes named `programName`
// and, when none is left, starts the installer. A "%" in a value is doubled so
// the batch interpreter reads it back as the name it is.
std::string BatchHandOffScript(const std::string& programName, const std::string& installerPath);

// The POSIX sh form that this system runs: once a second it looks through
// /proc for a live process named `programName` (compared as the kernel keeps
// the name, cut to 15 bytes) and, when there is none, starts the installer in
// the background and ends. Values are single-quoted, so no name or path can
// turn into a command.
std::string ShellHandOffScript(const std::string& programName, const std::string& installerPath);

// A text as one single-quoted sh word.
std::string ShellQuoted(const std::string& text);
