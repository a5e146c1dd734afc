#include "app/Startup.h"

#include <cerrno>
#include <sys/stat.h>

#include "app/LocalPaths.h"
#include "app/SettingsFile.h"
#include "platform/AutoStart.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/InstanceActivation.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"

namespace {

// Each folder is made one level at a time, as the folder calls do; an
// existing folder is left as it is. A non-folder in its place is a failure.
bool EnsureFolder(const PathText& folder, const wchar_t* failureText)
{
    if (IsFolder(folder.narrow) || CreateOneFolder(folder.narrow))
        return true;
    DebugLogA("cannot create %s (errno %d)\n", folder.narrow.c_str(), errno);
    ShowStartupNotice(failureText);
    return false;
}

// The base below which the per-user folder lives; a fresh account may not
// have ~/.local/share yet, which must not keep the client from starting.
void EnsureParentFolders(const std::string& folder)
{
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return;
    std::string parent = path.substr(0, slash);
    for (std::size_t pos = 1; pos <= parent.size(); ++pos) {
        if (pos == parent.size() || parent[pos] == '/')
            ::mkdir(parent.substr(0, pos).c_str(), 0700);
    }
}

} // namespace

void ShowStartupNotice(const std::wstring& text)
{
    MessageBox(text, L"提示", MessageBoxButtons::Ok, MessageBoxIcon::Information, nullptr, true);
}

bool TakeSingleInstanceLock()
{
    if (AcquireInstanceLock(kInstanceLockName) == InstanceLockResult::AlreadyRunning) {
        // The running window comes to the front; this copy still says why it ends.
        RequestActivation(kInstanceLockName);
        ShowStartupNotice(L"已经有一个程序实例在运行！");
        return false;
    }
    return true;
}

const LocalPaths& PrepareLocalPaths()
{
    return InitLocalPaths();
}

void DeleteStaleCookieFile(const LocalPaths& paths)
{
    if (PathExists(paths.cookieFile.narrow))
        DeleteOneFile(paths.cookieFile.narrow);
}

bool CreateDataFolders(const LocalPaths& paths)
{
    if (!IsFolder(paths.folder.narrow))
        EnsureParentFolders(paths.folder.narrow);
    return EnsureFolder(paths.folder, L"创建数据缓存目录失败！")
        && EnsureFolder(paths.imageCache, L"创建图片缓存目录失败！")
        && EnsureFolder(paths.iconCache, L"创建图标缓存目录失败！");
}

void TightenLocalModes(const LocalPaths& paths)
{
    const std::string journal = paths.database.narrow + "-journal";
    const std::pair<const std::string*, unsigned> entries[] = {
        { &paths.folder.narrow, 0700 },
        { &paths.imageCache.narrow, 0700 },
        { &paths.iconCache.narrow, 0700 },
        { &paths.settingsFile.narrow, 0600 },
        { &paths.database.narrow, 0600 },
        { &journal, 0600 },
        { &paths.cookieFile.narrow, 0600 },
    };
    for (const auto& [path, mode] : entries) {
        if (PathExists(*path) && !RestrictMode(*path, mode))
            DebugLogA("cannot narrow the mode of %s (errno %d)\n", path->c_str(), errno);
    }
}

void WriteFirstRunSettings(const SettingsFile& settings)
{
    if (!settings.Exists())
        settings.WriteFirstRunDefaults();
}

void KeepAutoStartInStep(const SettingsFile& settings)
{
    if (settings.AutoStartAtStartup() == -1) {
        settings.WriteFlag(SettingsFile::kAutoStart, true);
        SetAutoStart(kClientFolderName, true);
    }
    // Every start with auto-start on rewrites the entry, so a moved program
    // registers its new place.
    if (settings.AutoStartAtStartup() == 1)
        SetAutoStart(kClientFolderName, true);
}

bool RunStartupSteps()
{
    if (!TakeSingleInstanceLock())
        return false;
    const LocalPaths& paths = PrepareLocalPaths();
    DeleteStaleCookieFile(paths);
    if (!CreateDataFolders(paths))
        return false;
    TightenLocalModes(paths);
    const SettingsFile settings(paths.settingsFile.narrow);
    WriteFirstRunSettings(settings);
    KeepAutoStartInStep(settings);
    return true;
}
