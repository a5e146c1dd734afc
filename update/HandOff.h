#pragma once

#include <functional>
#include <string>

// Writes the hand-off scripts beside the installer: "updata.bat" (text mode:
// CR LF line ends) and "updata.sh", which is the one this system starts.
// False when either cannot be written whole.
bool WriteHandOffScripts(
    const std::string& folder, const std::string& programName, const std::string& installerPath);

// Starts "/bin/sh script" as a process of its own session, detached from the
// client (no inherited descriptors, standard streams on /dev/null, working
// directory the script's folder), and does not wait for it. False when it
// could not be started.
bool StartHandOffScript(const std::string& scriptPath);

// Tests: stands in for StartHandOffScript (an empty function undoes it).
void SetHandOffStarterForTesting(std::function<bool(const std::string& scriptPath)> starter);
