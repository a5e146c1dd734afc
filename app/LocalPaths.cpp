#include "app/LocalPaths.h"

#include "net/TextConvert.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"

namespace {

LocalPaths g_paths;

PathText Both(const std::string& narrow)
{
    return PathText { Utf8ToWide(narrow), narrow };
}

} // namespace

LocalPaths LocalPaths::Below(const std::string& dataFolder)
{
    std::string base = dataFolder;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    const std::string folder = base + "/" + kClientFolderName + "/";
    LocalPaths paths;
    paths.folder = Both(folder);
    paths.settingsFile = Both(folder + "config.ini");
    paths.database = Both(folder + "data.db");
    paths.cookieFile = Both(folder + "cookies.txt");
    paths.imageCache = Both(folder + "Cache/");
    paths.iconCache = Both(folder + "Icon/");
    return paths;
}

const LocalPaths& InitLocalPaths()
{
    return InitLocalPaths(LocalDataFolder());
}

const LocalPaths& InitLocalPaths(const std::string& dataFolder)
{
    g_paths = LocalPaths::Below(dataFolder);
    for (const PathText* p : { &g_paths.folder, &g_paths.settingsFile, &g_paths.database, &g_paths.cookieFile,
             &g_paths.imageCache, &g_paths.iconCache })
        DebugLogA("%s\n", p->narrow.c_str());
    return g_paths;
}

const LocalPaths& GetLocalPaths()
{
    return g_paths;
}
