// The update check and the installer download against korvana-service: the
// bytes sent, the messages reported, the files left behind; and the hand-off
// script, which must start the installer only once no client process runs.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "net/ServiceAddress.h"
#include "tests/support/Eventually.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/ServiceTest.h"
#include "tests/support/TempDir.h"
#include "update/HandOff.h"
#include "update/HandOffScript.h"
#include "update/UpdateCheck.h"

namespace {

using namespace korvana::test;
using namespace std::chrono_literals;
using nlohmann::json;
namespace fs = std::filesystem;

constexpr const char* kUpgrade = "/api/qtz/front_app_upgrade";
constexpr const char* kDownload = "/download/updata.exe";

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

bool WaitForFile(const fs::path& path, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (fs::exists(path))
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return fs::exists(path);
}

class UpdateCheckTest : public ServiceTest {
protected:
    void SetUp() override
    {
        ServiceTest::SetUp();
        InitLocalPaths(folder().string());
        fs::create_directories(GetLocalPaths().folder.narrow);
        NewRun();
        SetHandOffStarterForTesting([this](const std::string& script) {
            startedScripts.push_back(script);
            return startSucceeds;
        });
    }
    void TearDown() override
    {
        SetHandOffStarterForTesting(nullptr);
        ServiceTest::TearDown();
    }

    std::string InstallerUrl() const
    {
        return "http://127.0.0.1:" + std::to_string(service().port()) + kDownload;
    }
    void Offer(json offer) { EXPECT_EQ(control().Post("/__test/update/offer", offer.dump()).status, 200); }
    void OfferNewVersion()
    {
        Offer({ { "upgrade", 1 }, { "force", 0 }, { "is_file", 1 }, { "url", InstallerUrl() },
            { "version", "1016" } });
    }

    // The sub-codes of UM_STARTUP in order.
    std::vector<WPARAM> Codes() const
    {
        std::vector<WPARAM> codes;
        for (const RecordedMessage& m : target->Messages()) {
            EXPECT_EQ(m.msg, msg::UM_STARTUP);
            EXPECT_TRUE(m.sent);
            if (codes.empty() || m.wParam != msg::kUpdateProgress || codes.back() != msg::kUpdateProgress)
                codes.push_back(m.wParam);
        }
        return codes;
    }
    std::vector<int> Percentages() const
    {
        std::vector<int> values;
        for (const RecordedMessage& m : target->Messages()) {
            if (m.wParam == msg::kUpdateProgress)
                values.push_back(static_cast<int>(m.lParam));
        }
        return values;
    }
    std::wstring LastText() const
    {
        return target->Messages().empty() ? L"" : target->Messages().back().text;
    }
    fs::path InFolder(const char* name) const { return fs::path(GetLocalPaths().folder.narrow) / name; }

    // A fresh window stand-in and state for one more check.
    ClientManager& NewRun()
    {
        client.reset();
        target = std::make_unique<RecordingTarget>([](UINT, WPARAM code) {
            return code != msg::kUpdateProgress && code != msg::kUpdateDownloading;
        });
        client = std::make_shared<ClientManager>(target.get());
        return *client;
    }

    std::unique_ptr<RecordingTarget> target;
    std::shared_ptr<ClientManager> client;
    std::vector<std::string> startedScripts;
    bool startSucceeds = true;
};

TEST_F(UpdateCheckTest, NoOfferSendsTheVersionAndReportsNothingNew)
{
    EXPECT_FALSE(RunUpdateCheck(NewRun()));
    auto log = control().RequestsTo(kUpgrade);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, "POST");
    EXPECT_EQ(log[0].body, "&type=21&version=1015");
    EXPECT_EQ(Codes(), std::vector<WPARAM> { msg::kUpdateNone });
    EXPECT_EQ(LastText(), L"已经是最新版本！");
    EXPECT_TRUE(control().RequestsTo(kDownload).empty());
}

TEST_F(UpdateCheckTest, TheSameVersionOrAVersionWithPointsIsNoUpdate)
{
    for (json offer : { json { { "upgrade", true }, { "version", "1015" } },
             json { { "upgrade", 1 }, { "version", "1.0.1.6" } },
             json { { "upgrade", 0 }, { "version", "1016" } },
             json { { "upgrade", "1" }, { "version", "1016" } },
             json { { "upgrade", nullptr }, { "version", "2000" } },
             json { { "upgrade", true }, { "version", 2000 } } }) {
        offer["url"] = InstallerUrl();
        Offer(offer);
        ClientManager& owner = NewRun();
        EXPECT_FALSE(RunUpdateCheck(owner)) << offer.dump();
        EXPECT_EQ(Codes(), std::vector<WPARAM> { msg::kUpdateNone }) << offer.dump();
    }
    EXPECT_TRUE(control().RequestsTo(kDownload).empty());
}

TEST_F(UpdateCheckTest, ANewerVersionDownloadsWithProgressAndHandsOff)
{
    // Big enough for several progress steps.
    std::string installer = "#!/bin/sh\n# stand-in\n" + std::string(3 << 20, '#') + "\n";
    EXPECT_EQ(control().Post("/__test/update/installer", installer).status, 200);
    OfferNewVersion();
    EXPECT_TRUE(RunUpdateCheck(NewRun()));
    EXPECT_EQ(Codes(),
        (std::vector<WPARAM> { msg::kUpdateDownloading, msg::kUpdateProgress, msg::kUpdateHandedOff }));
    EXPECT_EQ(LastText(), L"下载完成！");
    const std::vector<int> percent = Percentages();
    ASSERT_GE(percent.size(), 2u);
    EXPECT_EQ(percent.front(), 0) << "0 % while the size is unknown";
    EXPECT_EQ(percent.back(), 100);
    EXPECT_TRUE(std::is_sorted(percent.begin(), percent.end()));

    auto log = control().RequestsTo(kDownload);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, "GET");
    EXPECT_EQ(ReadFile(InFolder(kInstallerFileName)), installer);
    EXPECT_FALSE(fs::exists(InFolder(kInstallerPartFileName)));
    EXPECT_TRUE(
        (fs::status(InFolder(kInstallerFileName)).permissions() & fs::perms::owner_exec) != fs::perms::none);
    const std::string program = fs::path(fs::read_symlink("/proc/self/exe")).filename().string();
    const std::string installerPath = InFolder(kInstallerFileName).string();
    EXPECT_EQ(ReadFile(InFolder(kBatchScriptFileName)), BatchHandOffScript(program, installerPath));
    EXPECT_EQ(ReadFile(InFolder(kShellScriptFileName)), ShellHandOffScript(program, installerPath));
    EXPECT_EQ(startedScripts, std::vector<std::string> { InFolder(kShellScriptFileName).string() });
}

TEST_F(UpdateCheckTest, ForceMakesNoDifference)
{
    for (int force : { 0, 1 }) {
        Offer({ { "upgrade", 1 }, { "force", force }, { "url", InstallerUrl() }, { "version", "1016" } });
        ClientManager& owner = NewRun();
        EXPECT_TRUE(RunUpdateCheck(owner)) << force;
        EXPECT_EQ(Codes().back(), msg::kUpdateHandedOff) << force;
    }
    EXPECT_EQ(startedScripts.size(), 2u);
}

TEST_F(UpdateCheckTest, AnOfferWithoutAddressFailsWithoutDownloading)
{
    Offer({ { "upgrade", true }, { "url", "" }, { "version", "1016" } });
    EXPECT_FALSE(RunUpdateCheck(NewRun()));
    EXPECT_EQ(Codes(), std::vector<WPARAM> { msg::kUpdateFailed });
    EXPECT_EQ(LastText(), L"获取新版本失败！");
    EXPECT_TRUE(control().RequestsTo(kDownload).empty());
}

TEST_F(UpdateCheckTest, BadUpgradeAnswersAndAnUnreachableServiceAreNoUpdate)
{
    for (const json& fault : { json { { "kind", "not_json" } }, json { { "kind", "wrong_types" } },
             json { { "drop", true } }, json { { "truncate", true } }, json { { "status", 404 } },
             json { { "body", R"({"status":false,"message":"-1000"})" } },
             json { { "body", R"({"status":true,"message":"[true]"})" } } }) {
        control().ClearFaults();
        json setup = fault;
        setup["path"] = kUpgrade;
        control().InjectFault(setup);
        ClientManager& owner = NewRun();
        EXPECT_FALSE(RunUpdateCheck(owner)) << fault.dump();
        EXPECT_EQ(Codes(), std::vector<WPARAM> { msg::kUpdateNone }) << fault.dump();
    }
    // A port nothing listens on.
    SetServiceAddress("127.0.0.1", 1);
    ClientManager& owner = NewRun();
    EXPECT_FALSE(RunUpdateCheck(owner));
    EXPECT_EQ(Codes(), std::vector<WPARAM> { msg::kUpdateNone });
}

TEST_F(UpdateCheckTest, ACutOffOrRefusedDownloadLeavesNoInstallerAndStartsNothing)
{
    // An installer of an earlier, whole download stays as it was.
    std::ofstream(InFolder(kInstallerFileName)) << "earlier";
    OfferNewVersion();
    for (const json& fault : { json { { "truncate", true } }, json { { "drop", true } },
             json { { "status", 404 } }, json { { "status", 500 }, { "body", "oops" } } }) {
        control().ClearFaults();
        json setup = fault;
        setup["path"] = kDownload;
        control().InjectFault(setup);
        ClientManager& owner = NewRun();
        EXPECT_FALSE(RunUpdateCheck(owner)) << fault.dump();
        EXPECT_EQ(Codes().front(), msg::kUpdateDownloading);
        EXPECT_EQ(Codes().back(), msg::kUpdateFailed) << fault.dump();
        EXPECT_EQ(LastText(), L"获取新版本失败！");
        EXPECT_FALSE(fs::exists(InFolder(kInstallerPartFileName))) << fault.dump();
        EXPECT_EQ(ReadFile(InFolder(kInstallerFileName)), "earlier") << fault.dump();
        EXPECT_FALSE(fs::exists(InFolder(kShellScriptFileName)));
    }
    EXPECT_TRUE(startedScripts.empty());
}

TEST_F(UpdateCheckTest, AScriptThatCannotStartIsAFailure)
{
    startSucceeds = false;
    OfferNewVersion();
    EXPECT_FALSE(RunUpdateCheck(NewRun()));
    EXPECT_EQ(Codes().back(), msg::kUpdateFailed);
}

TEST_F(UpdateCheckTest, AnAddressOfTenMegabytesFailsCleanly)
{
    Offer({ { "upgrade", 1 }, { "url", "http://127.0.0.1/" + std::string(10 << 20, 'a') },
        { "version", "1016" } });
    EXPECT_FALSE(RunUpdateCheck(NewRun()));
    EXPECT_EQ(Codes().back(), msg::kUpdateFailed);
    EXPECT_TRUE(startedScripts.empty());
}

TEST_F(UpdateCheckTest, TheInstallerKeepsItsOwnNameWhateverTheAddressSays)
{
    Offer({ { "upgrade", 1 },
        { "url",
            "http://127.0.0.1:" + std::to_string(service().port())
                + "/download/../download/updata.exe?f=../../evil.sh" },
        { "version", "1016" } });
    RunUpdateCheck(NewRun());
    EXPECT_TRUE(fs::exists(InFolder(kInstallerFileName)));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(GetLocalPaths().folder.narrow))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "updata.bat", "updata.exe", "updata.sh" }));
}

// The real script with a stand-in client (a copy of sleep under a name of
// its own) and a stand-in installer that writes a file.
class HandOffScriptRunTest : public ::testing::Test {
protected:
    pid_t StartStandIn()
    {
        const pid_t pid = fork();
        if (pid == 0) {
            execl(standIn.c_str(), standIn.c_str(), "30", static_cast<char*>(nullptr));
            _exit(127);
        }
        return pid;
    }
    // True once the child runs the stand-in's image, not the forked test.
    bool RunsTheStandIn(pid_t pid) const
    {
        std::error_code error;
        const fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
        return !error && exe == fs::path(standIn);
    }
    static void Stop(pid_t pid)
    {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }

    TempDir dir;
    std::string folder = dir.path().string() + "/";
    std::string standIn = folder + "korvana-standin";
    std::string installer = folder + "it's here/updata.exe";
    fs::path ran = dir.path() / "it's here" / "installer-ran.txt";
};

TEST_F(HandOffScriptRunTest, TheInstallerStartsOnlyAfterTheLastClientProcessEnded)
{
    fs::copy_file("/bin/sleep", standIn);
    fs::create_directories(dir.path() / "it's here");
    std::ofstream(installer) << "#!/bin/sh\ndate > \"$(dirname \"$0\")/installer-ran.txt\"\n";
    fs::permissions(installer, fs::perms::owner_all);
    const pid_t first = StartStandIn();
    const pid_t second = StartStandIn();
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    ASSERT_TRUE(Eventually([&] { return RunsTheStandIn(first) && RunsTheStandIn(second); }, 5000));

    SetHandOffStarterForTesting(nullptr);
    ASSERT_TRUE(WriteHandOffScripts(folder, "korvana-standin", installer));
    ASSERT_TRUE(StartHandOffScript(folder + kShellScriptFileName));
    EXPECT_FALSE(WaitForFile(ran, 1500ms)) << "two stand-ins still run";
    Stop(first);
    EXPECT_FALSE(WaitForFile(ran, 1500ms)) << "one stand-in still runs";
    Stop(second);
    EXPECT_TRUE(WaitForFile(ran, 5000ms)) << "the installer ran after the last one ended";
}

TEST_F(HandOffScriptRunTest, AScriptThatIsNotThereStillStartsAndEndsQuietly)
{
    // /bin/sh itself starts; the missing script only makes it end.
    EXPECT_TRUE(StartHandOffScript(folder + "missing.sh"));
}

} // namespace
