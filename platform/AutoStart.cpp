#include "platform/AutoStart.h"

#include <cerrno>
#include <sys/stat.h>

#include "platform/AtomicFile.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"

namespace {

// mkdir -p for the autostart folder, which a fresh account may not have.
bool MakeFolders(const std::string& path)
{
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/')
            continue;
        std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return IsFolder(path);
}

} // namespace

std::string AutoStartEntryPath(const std::string& name)
{
    return UserConfigFolder() + "/autostart/" + name + ".desktop";
}

std::string DesktopExecValue(const std::string& programPath)
{
    // Inside a quoted argument ", `, $ and \ take a backslash; the string
    // escapes of the file (\\, \n, \t, \r) apply on top of that, and % must be
    // doubled so it is not read as a field code.
    std::string quoted = "\"";
    for (char c : programPath) {
        switch (c) {
        case '"':
        case '`':
        case '$':
            quoted += "\\\\";
            quoted += c;
            break;
        case '\\':
            quoted += "\\\\\\\\";
            break;
        case '%':
            quoted += "%%";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\t':
            quoted += "\\t";
            break;
        case '\r':
            quoted += "\\r";
            break;
        default:
            quoted += c;
        }
    }
    quoted += '"';
    return quoted;
}

bool SetAutoStart(const std::string& name, bool enable)
{
    std::string entry = AutoStartEntryPath(name);
    if (!enable) {
        DeleteOneFile(entry);
        return true;
    }
    std::string program = RunningProgramPath();
    if (program.empty() || !MakeFolders(UserConfigFolder() + "/autostart")) {
        DebugLogA("autostart: cannot write %s\n", entry.c_str());
        return false;
    }
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Korvana\xE4\xBA\x91\xE6\x89\x8B\xE6\x9C\xBA\n"
                       "Exec="
        + DesktopExecValue(program)
        + "\n"
          "Terminal=false\n"
          "X-GNOME-Autostart-enabled=true\n";
    return WriteFileAtomically(entry, text, 0644);
}
