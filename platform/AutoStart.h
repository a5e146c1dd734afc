#pragma once

#include <string>

// Start with the desktop session: an autostart entry
// <config folder>/autostart/<name>.desktop whose Exec= line runs the program
// at its current full path. Enabling (re)writes the entry; disabling removes
// it. False only when the entry could not be written; a failed removal is
// not reported.
bool SetAutoStart(const std::string& name, bool enable);

// Where SetAutoStart puts the entry of that name.
std::string AutoStartEntryPath(const std::string& name);

// The Exec= value that runs the program at that path: the path between double
// quotes with the characters the desktop-entry format reserves escaped.
std::string DesktopExecValue(const std::string& programPath);
