// The installed layout: what `cmake --install` stages under DESTDIR (the
// packages hold exactly that), and the staged client run as a user would.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/ExternalProgram.h"
#include "platform/FileSystem.h"
#include "tests/support/ClientProcess.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvana::test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string Quoted(const std::string& s)
{
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

int Shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Every file below a folder, relative to it.
std::set<std::string> FilesBelow(const fs::path& root)
{
    std::set<std::string> files;
    if (!fs::exists(root))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (!entry.is_directory())
            files.insert(fs::relative(entry.path(), root).string());
    return files;
}

// One staging of both components for every test of this file.
class InstalledLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_stage = new TempDir;
        for (const char* component : { "client", "service" }) {
            const std::string command = "DESTDIR=" + Quoted(s_stage->path().string()) + " "
                + Quoted(KORVANA_CMAKE_COMMAND) + " --install " + Quoted(KORVANA_TEST_BUILD_DIR)
                + " --prefix /usr --component " + component + " >/dev/null";
            s_installed = Shell(command) == 0 && s_installed;
        }
    }
    static void TearDownTestSuite()
    {
        delete s_stage;
        s_stage = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(s_installed) << "cmake --install failed"; }

    static fs::path Usr() { return s_stage->path() / "usr"; }

    // A user of his own: nothing of the tester's, no display at all.
    std::map<std::string, std::string> UserEnvironment() const
    {
        return { { "HOME", home.path().string() }, { "XDG_DATA_HOME", (home.path() / "data").string() },
            { "XDG_CONFIG_HOME", (home.path() / "config").string() },
            { "XDG_RUNTIME_DIR", (home.path() / "run").string() }, { "DISPLAY", "" },
            { "WAYLAND_DISPLAY", "" }, { "QT_QPA_PLATFORM", "" } };
    }
    std::unique_ptr<ClientProcess> RunStaged(
        std::vector<std::string> arguments, std::map<std::string, std::string> extra = {})
    {
        std::map<std::string, std::string> env = UserEnvironment();
        for (auto& [k, v] : extra)
            env[k] = v;
        return std::make_unique<ClientProcess>((Usr() / "bin" / "korvana").string(), env,
            (logs.path() / ("run" + std::to_string(++runs) + ".log")).string(), std::move(arguments));
    }

    static TempDir* s_stage;
    static bool s_installed;
    TempDir home;
    TempDir logs;
    int runs = 0;
};

TempDir* InstalledLayout::s_stage = nullptr;
bool InstalledLayout::s_installed = true;

TEST_F(InstalledLayout, ProgramsDesktopFilesAndIconsAreWhereTheDesktopLooks)
{
    std::set<std::string> expected = {
        "bin/korvana",
        "bin/korvana-service",
        "libexec/korvana/ZorIzoriz",
        "libexec/korvana/DizuZivo",
        "libexec/korvana/korvana-demo",
        "share/applications/com.korvana.Korvana.desktop",
        "share/metainfo/com.korvana.Korvana.metainfo.xml",
        "share/man/man1/korvana.1",
        "share/icons/hicolor/scalable/apps/korvana.svg",
    };
    const int sizes[] = { 16, 22, 24, 32, 48, 64, 128, 256, 512 };
    for (int size : sizes)
        expected.insert(
            "share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/korvana.png");
    // Exactly these: the skin stays inside the program, nothing else strays in.
    EXPECT_EQ(FilesBelow(Usr()), expected);
    for (const char* program :
        { "bin/korvana", "bin/korvana-service", "libexec/korvana/ZorIzoriz", "libexec/korvana/DizuZivo" })
        EXPECT_EQ(::access((Usr() / program).c_str(), X_OK), 0) << program;
    for (int size : sizes) {
        const QImage icon(QString::fromStdString((Usr() / "share/icons/hicolor"
            / (std::to_string(size) + "x" + std::to_string(size)) / "apps/korvana.png")
                                                     .string()));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
        EXPECT_TRUE(icon.hasAlphaChannel()) << size;
    }
    const std::string desktop = ReadAll(Usr() / "share/applications/com.korvana.Korvana.desktop");
    EXPECT_NE(desktop.find("\nExec=korvana\n"), std::string::npos);
    EXPECT_NE(desktop.find("\nIcon=korvana\n"), std::string::npos);
}

TEST_F(InstalledLayout, DesktopEntryAndMetainfoPassTheirValidators)
{
    EXPECT_EQ(Shell("desktop-file-validate "
                  + Quoted((Usr() / "share/applications/com.korvana.Korvana.desktop").string())),
        0);
    EXPECT_EQ(
        Shell("appstreamcli validate --no-net "
            + Quoted((Usr() / "share/metainfo/com.korvana.Korvana.metainfo.xml").string()) + " >/dev/null"),
        0);
    const std::string metainfo = ReadAll(Usr() / "share/metainfo/com.korvana.Korvana.metainfo.xml");
    EXPECT_NE(metainfo.find("<release version=\"1.0.1.5\""), std::string::npos);
    EXPECT_NE(metainfo.find("/screenshots/signin.png</image>"), std::string::npos);
    EXPECT_NE(
        ReadAll(Usr() / "share/man/man1/korvana.1").find("/libexec/korvana/ZorIzoriz"), std::string::npos);
}

TEST_F(InstalledLayout, TheInstalledClientFindsItsPlayerProgramsRelativeToItself)
{
    OverrideRunningProgramPathForTesting((Usr() / "bin" / "korvana").string());
    EXPECT_EQ(ProgramBesideClient("ZorIzoriz"), (Usr() / "bin/../libexec/korvana/ZorIzoriz").string());
    EXPECT_EQ(ProgramBesideClient("DizuZivo"), (Usr() / "bin/../libexec/korvana/DizuZivo").string());
    // Not a helper: nothing is looked up outside the two folders.
    EXPECT_EQ(ProgramBesideClient("../libexec/korvana/ZorIzoriz"), "");
    EXPECT_EQ(ProgramBesideClient("korvana-missing"), (Usr() / "bin/korvana-missing").string());
    OverrideRunningProgramPathForTesting("");
}

TEST_F(InstalledLayout, VersionHelpAndBadOptionsAnswerWithoutAWindowOrAFile)
{
    auto version = RunStaged({ "--version" });
    EXPECT_EQ(version->WaitForExit(30s), 0);
    EXPECT_EQ(version->Output(), "Korvana云手机 1.0.1.5\n");
    EXPECT_EQ(version->Log(), "");

    auto help = RunStaged({ "--help" });
    EXPECT_EQ(help->WaitForExit(30s), 0);
    EXPECT_NE(help->Output().find("--version"), std::string::npos);
    EXPECT_NE(help->Output().find("--help"), std::string::npos);

    auto unknown = RunStaged({ "--frobnicate" });
    EXPECT_EQ(unknown->WaitForExit(30s), 2);
    EXPECT_NE(unknown->Log().find("unknown option '--frobnicate'"), std::string::npos) << unknown->Log();
    EXPECT_EQ(unknown->Output(), "");

    auto stray = RunStaged({ "--version", "extra" });
    EXPECT_EQ(stray->WaitForExit(30s), 2);

    // Not even the per-user folder or the autostart entry came about.
    EXPECT_EQ(FilesBelow(home.path()), std::set<std::string> {});
}

TEST_F(InstalledLayout, AnInstalledStartRegistersTheInstalledProgramForAutostart)
{
    for (const char* sub : { "data", "config", "run" })
        fs::create_directories(home.path() / sub);
    fs::permissions(home.path() / "run", fs::perms::owner_all);
    auto client = RunStaged({}, { { "QT_QPA_PLATFORM", "offscreen" }, { "no_proxy", "*" } });
    ASSERT_TRUE(client->WaitForLog(":windowinit", 30s)) << client->Log();
    const std::string entry = ReadAll(home.path() / "config/autostart/korvanClient.desktop");
    EXPECT_NE(entry.find("\nExec=\"" + (Usr() / "bin" / "korvana").string() + "\"\n"), std::string::npos)
        << entry;
    client->Terminate();
    client->WaitForExit(20s);
}

} // namespace
