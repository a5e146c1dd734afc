#pragma once

#include <string>

// File-system facts the shell needs, on 8-bit (UTF-8) paths. None of these
// throws; failures come back as false or an empty text.

// The user's local data folder: $XDG_DATA_HOME when it is an absolute path,
// else $HOME/.local/share. No trailing slash.
std::string LocalDataFolder();

// The user's configuration folder: $XDG_CONFIG_HOME when absolute, else
// $HOME/.config. No trailing slash.
std::string UserConfigFolder();

// Creates one folder level (no parents), readable by the user only. True when
// the folder was made; false when it could not be (an existing folder counts
// as a failure, as it does for the creation call this replaces).
bool CreateOneFolder(const std::string& path);

bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
bool IsRegularFile(const std::string& path);

// Narrows the permission bits of an existing file or folder to those of
// `mode` where it grants more (0644 becomes 0600 under 0600); a symbolic link
// is left alone. True when the path is not wider than `mode` afterwards.
bool RestrictMode(const std::string& path, unsigned mode);

// Creates an empty file only the user may read and write, when nothing is
// there yet; an existing file is left as it is. True when the file exists.
bool CreatePrivateFileIfMissing(const std::string& path);

// Removes a file (never a folder). True when it is gone afterwards.
bool DeleteOneFile(const std::string& path);

// The full path of the running program (/proc/self/exe), or an empty text.
std::string RunningProgramPath();

// Tests make the program appear to live elsewhere (an empty text undoes it).
void OverrideRunningProgramPathForTesting(const std::string& path);
