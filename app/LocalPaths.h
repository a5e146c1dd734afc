#pragma once

#include <string>

// The name of the per-user folder, and of the autostart entry.
inline constexpr const char* kClientFolderName = "korvanClient";

// One path in both encodings the client uses: wide for the logic and the UI,
// 8-bit (UTF-8, the file-system encoding) for the file calls.
struct PathText {
    std::wstring wide;
    std::string narrow;
};

// The per-user paths, computed once at start before any window exists.
struct LocalPaths {
    PathText folder; // <local data folder>/korvanClient/
    PathText settingsFile; // folder + "config.ini"
    PathText database; // folder + "data.db"
    PathText cookieFile; // folder + "cookies.txt"
    PathText imageCache; // folder + "Cache/"
    PathText iconCache; // folder + "Icon/"

    // The paths below a given local data folder (no trailing slash needed).
    static LocalPaths Below(const std::string& dataFolder);
};

// Computes the process-wide paths from the user's local data folder
// ($XDG_DATA_HOME, else ~/.local/share), writes each to the diagnostic log
// and returns them. Tests may call it again after changing XDG_DATA_HOME, or
// pass a folder of their own; nothing else changes the paths afterwards.
const LocalPaths& InitLocalPaths();
const LocalPaths& InitLocalPaths(const std::string& dataFolder);

// The paths computed by InitLocalPaths (all empty before it ran).
const LocalPaths& GetLocalPaths();
