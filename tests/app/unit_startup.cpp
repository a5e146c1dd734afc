#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/SettingsFile.h"
#include "app/Startup.h"
#include "market/Catalogue.h"
#include "platform/AutoStart.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/InstanceLock.h"
#include "tests/support/DesktopHooks.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvana::test;
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A fresh user: own data, configuration and runtime folders.
class StartupTest : public ::testing::Test {
protected:
    void TearDown() override { OverrideRunningProgramPathForTesting(""); }

    fs::path ClientFolder() const { return home.path() / "data" / "korvanClient"; }
    std::string ConfigIni() const { return (ClientFolder() / "config.ini").string(); }
    std::string Raw(const char* key) const { return IniReadString("Login", key, "<missing>", ConfigIni()); }
    std::string AutoStartEntry() const { return AutoStartEntryPath("korvanClient"); }

    TempDir home;
    ScopedEnv data { "XDG_DATA_HOME", (home.path() / "data").string() };
    ScopedEnv config { "XDG_CONFIG_HOME", (home.path() / "config").string() };
    ScopedEnv runtime { "XDG_RUNTIME_DIR", home.path().string() };
    MessageBoxRecorder boxes;
};

TEST_F(StartupTest, FirstRunMakesFoldersWritesDefaultsAndRegistersAutoStart)
{
    OverrideRunningProgramPathForTesting("/opt/korvana/korvana");
    ASSERT_TRUE(RunStartupSteps()); // even the local data folder is new here
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_TRUE(fs::is_directory(ClientFolder() / "Cache"));
    EXPECT_TRUE(fs::is_directory(ClientFolder() / "Icon"));
    EXPECT_EQ(GetLocalPaths().folder.narrow, ClientFolder().string() + "/");
    EXPECT_EQ(ReadAll(ConfigIni()), "[Login]\nauto_login=0\nremember_pwd=1\nhide_inwin=1\nauto_start=1\n");
    EXPECT_NE(ReadAll(AutoStartEntry()).find("Exec=\"/opt/korvana/korvana\"\n"), std::string::npos);
}

unsigned ModeOf(const fs::path& p)
{
    struct stat st { };
    return ::lstat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0xFFFF;
}

// The umask most desktops start programs with; the modes must not depend on it.
class OpenUmask {
public:
    OpenUmask()
        : m_old(::umask(022))
    {
    }
    ~OpenUmask() { ::umask(m_old); }

private:
    mode_t m_old;
};

TEST_F(StartupTest, TheFolderAndItsFilesAreTheUsersAloneAfterAFirstRun)
{
    OpenUmask umask;
    ASSERT_TRUE(RunStartupSteps());
    auto owner = std::make_shared<ClientManager>(nullptr);
    ASSERT_EQ(OpenCatalogue(*owner), 0); // SQLite makes data.db
    EXPECT_EQ(ModeOf(ClientFolder()), 0700u);
    EXPECT_EQ(ModeOf(ClientFolder() / "Cache"), 0700u);
    EXPECT_EQ(ModeOf(ClientFolder() / "Icon"), 0700u);
    EXPECT_EQ(ModeOf(ConfigIni()), 0600u);
    EXPECT_EQ(ModeOf(ClientFolder() / "data.db"), 0600u);
    EXPECT_EQ(ModeOf(AutoStartEntry()), 0644u); // holds no secret
}

TEST_F(StartupTest, WiderModesLeftByAnEarlierRunAreNarrowed)
{
    OpenUmask umask;
    fs::create_directories(ClientFolder() / "Cache");
    fs::create_directories(ClientFolder() / "Icon");
    std::ofstream(ConfigIni()) << "[Login]\nauto_start=0\n";
    std::ofstream(ClientFolder() / "data.db") << "";
    std::ofstream(ClientFolder() / "Icon" / "1.png") << "png";
    for (const char* folder : { "", "Cache", "Icon" })
        fs::permissions(ClientFolder() / folder, fs::perms(0755));
    for (const char* file : { "config.ini", "data.db" })
        fs::permissions(ClientFolder() / file, fs::perms(0644));
    fs::permissions(ClientFolder() / "Icon" / "1.png", fs::perms(0644));
    // A link in a file's place is not followed to whatever it names.
    const fs::path elsewhere = home.path() / "elsewhere";
    std::ofstream(elsewhere) << "x";
    fs::permissions(elsewhere, fs::perms(0644));
    fs::create_symlink(elsewhere, ClientFolder() / "data.db-journal");

    ASSERT_TRUE(RunStartupSteps());
    EXPECT_EQ(ModeOf(ClientFolder()), 0700u);
    EXPECT_EQ(ModeOf(ClientFolder() / "Cache"), 0700u);
    EXPECT_EQ(ModeOf(ClientFolder() / "Icon"), 0700u);
    EXPECT_EQ(ModeOf(ConfigIni()), 0600u);
    EXPECT_EQ(ModeOf(ClientFolder() / "data.db"), 0600u);
    EXPECT_EQ(ModeOf(elsewhere), 0644u);
    EXPECT_EQ(ReadAll(ConfigIni()), "[Login]\nauto_start=0\n"); // content kept
    // A narrower file stays as narrow as it is.
    fs::permissions(ConfigIni(), fs::perms(0400));
    TightenLocalModes(GetLocalPaths());
    EXPECT_EQ(ModeOf(ConfigIni()), 0400u);
}

TEST_F(StartupTest, LeftoverCookiesAreDeletedAndOtherFilesKept)
{
    fs::create_directories(ClientFolder() / "Cache");
    std::ofstream(ClientFolder() / "cookies.txt") << "# Netscape HTTP Cookie File\n";
    std::ofstream(ClientFolder() / "Cache" / "shot.jpg") << "jpg";
    ASSERT_TRUE(RunStartupSteps());
    EXPECT_FALSE(fs::exists(ClientFolder() / "cookies.txt"));
    EXPECT_TRUE(fs::exists(ClientFolder() / "Cache" / "shot.jpg"));
}

TEST_F(StartupTest, ExistingFileWithoutAutoStartKeepsItsKeys)
{
    fs::create_directories(ClientFolder());
    std::ofstream(ConfigIni()) << "[Login]\nremember_pwd=0\nhide_inwin=0\nname=bob\n";
    ASSERT_TRUE(RunStartupSteps());
    EXPECT_EQ(ReadAll(ConfigIni()), "[Login]\nremember_pwd=0\nhide_inwin=0\nname=bob\nauto_start=1\n");
    EXPECT_TRUE(fs::exists(AutoStartEntry()));
}

TEST_F(StartupTest, AutoStartOffLeavesTheEntryAsItIs)
{
    fs::create_directories(ClientFolder());
    std::ofstream(ConfigIni()) << "[Login]\nauto_start=0\n";
    ASSERT_TRUE(RunStartupSteps());
    EXPECT_FALSE(fs::exists(AutoStartEntry())); // not written

    fs::create_directories(fs::path(AutoStartEntry()).parent_path());
    std::ofstream(AutoStartEntry()) << "made by hand";
    TempDir nextRun; // a later start: this process still holds the first lock
    ScopedEnv nextRuntime("XDG_RUNTIME_DIR", nextRun.path().string());
    ASSERT_TRUE(RunStartupSteps());
    EXPECT_EQ(ReadAll(AutoStartEntry()), "made by hand"); // nor deleted
}

TEST_F(StartupTest, AMovedProgramRegistersItsNewPlace)
{
    OverrideRunningProgramPathForTesting("/old/korvana");
    ASSERT_TRUE(RunStartupSteps());
    OverrideRunningProgramPathForTesting("/new place/korvana");
    const SettingsFile settings(ConfigIni());
    KeepAutoStartInStep(settings);
    EXPECT_NE(ReadAll(AutoStartEntry()).find("Exec=\"/new place/korvana\"\n"), std::string::npos);
}

TEST_F(StartupTest, ASecondCopyIsToldAndStops)
{
    ASSERT_EQ(AcquireInstanceLock(kInstanceLockName), InstanceLockResult::Acquired);
    EXPECT_FALSE(RunStartupSteps());
    ASSERT_EQ(boxes.Count(), 1u);
    const MessageBoxRequest box = boxes.Boxes().front();
    EXPECT_EQ(box.text, L"已经有一个程序实例在运行！");
    EXPECT_EQ(box.caption, L"提示");
    EXPECT_EQ(box.icon, MessageBoxIcon::Information);
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(box.topmost);
    EXPECT_FALSE(fs::exists(ClientFolder())); // nothing else was done
}

struct FolderFailure {
    const char* blocked; // below the per-user folder; "" for the folder itself
    const wchar_t* text;
};

class StartupFolderFailureTest : public StartupTest, public ::testing::WithParamInterface<FolderFailure> { };

TEST_P(StartupFolderFailureTest, AFolderThatCannotBeMadeStopsWithItsText)
{
    // A file in the folder's place: the folder cannot be created, even as root.
    const fs::path blocked = GetParam().blocked[0] ? ClientFolder() / GetParam().blocked : ClientFolder();
    fs::create_directories(blocked.parent_path());
    std::ofstream(blocked) << "in the way";

    EXPECT_FALSE(RunStartupSteps());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.CountOf(GetParam().text, L"提示"), 1u);
    EXPECT_TRUE(boxes.Boxes().front().topmost);
    EXPECT_EQ(boxes.Boxes().front().owner, nullptr);
    EXPECT_FALSE(fs::exists(ConfigIni())); // stopped before the settings
}

INSTANTIATE_TEST_SUITE_P(EachFolder, StartupFolderFailureTest,
    ::testing::Values(FolderFailure { "", L"创建数据缓存目录失败！" },
        FolderFailure { "Cache", L"创建图片缓存目录失败！" },
        FolderFailure { "Icon", L"创建图标缓存目录失败！" }));

TEST_F(StartupTest, AnUnwritableDataFolderStopsWithTheFirstText)
{
    ScopedEnv unwritable("XDG_DATA_HOME", "/proc/korvana-cannot-be-here");
    EXPECT_FALSE(RunStartupSteps());
    EXPECT_EQ(boxes.CountOf(L"创建数据缓存目录失败！", L"提示"), 1u);
}

TEST_F(StartupTest, AnUnusableSettingsFileDoesNotStopTheStart)
{
    fs::create_directories(ClientFolder() / "config.ini"); // a folder where the file should be
    EXPECT_TRUE(RunStartupSteps());
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_TRUE(fs::is_directory(ClientFolder() / "config.ini"));
}

} // namespace
