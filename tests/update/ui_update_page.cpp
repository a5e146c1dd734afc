// The update in the real window: the download page with its progress, the
// hand-off that ends the client, and a failed download that keeps the page.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/Messages.h"
#include "app/window/CMainWnd.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UIProgress.h"
#include "update/HandOff.h"

namespace {

using namespace korvana::test;
using nlohmann::json;

class UpdatePageTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        SetHandOffStarterForTesting([this](const std::string& script) {
            started.push_back(script);
            return true;
        });
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        SetHandOffStarterForTesting(nullptr);
    }
    void Offer(const std::string& url)
    {
        const json offer { { "upgrade", 1 }, { "force", 1 }, { "is_file", 1 }, { "url", url },
            { "version", "1016" } };
        EXPECT_EQ(control().Post("/__test/update/offer", offer.dump()).status, 200);
    }
    std::string InstallerUrl() const
    {
        return "http://127.0.0.1:" + std::to_string(service().port()) + "/download/updata.exe";
    }
    int Progress() { return FindAs<DuiLib::CProgressUI>(L"ProOfDownload")->GetValue(); }

    std::vector<std::string> started;
};

TEST_F(UpdatePageTest, TheDownloadPageShowsThePercentage)
{
    StartWindow();
    window().SendMessage(msg::UM_STARTUP, msg::kUpdateDownloading, 0);
    window().SendMessage(msg::UM_STARTUP, msg::kUpdateProgress, 0);
    EXPECT_EQ(Find(L"LabOfDownload")->GetText(), L"已完成更新 0% ...");
    window().SendMessage(msg::UM_STARTUP, msg::kUpdateProgress, 42);
    ui().ProcessEvents(20);
    EXPECT_EQ(MainWindowPage(), 2);
    EXPECT_EQ(Progress(), 42);
    EXPECT_EQ(Find(L"LabOfDownload")->GetText(), L"已完成更新 42% ...");
    ui().SavePng(PngPath("update-42"));
}

TEST_F(UpdatePageTest, AnOfferedUpdateDownloadsHandsOffAndEndsTheClient)
{
    Offer(InstallerUrl());
    // Slow enough that the modal loop runs when the quit comes.
    control().InjectFault({ { "path", "/download/updata.exe" }, { "delay_ms", 800 } });
    StartWindow();
    EXPECT_EQ(MainWindowPage(), 2) << "the download page replaces the sign-in page";
    window().ShowModal();
    EXPECT_EQ(started.size(), 1u);
    EXPECT_EQ(Progress(), 100);
    EXPECT_EQ(Find(L"LabOfDownload")->GetText(), L"已完成更新 100% ...");
    EXPECT_EQ(boxes().Count(), 0u);
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_user_message_list").empty());
}

TEST_F(UpdatePageTest, AFailedDownloadKeepsThePageAndSaysSo)
{
    Offer(InstallerUrl());
    control().InjectFault({ { "path", "/download/updata.exe" }, { "truncate", true } });
    StartWindow();
    ASSERT_TRUE(WaitFor([&] { return boxes().CountOf(L"获取新版本失败！", L"错误") == 1; }));
    ASSERT_TRUE(WaitForTasks());
    EXPECT_EQ(MainWindowPage(), 2);
    EXPECT_TRUE(started.empty());
}

TEST_F(UpdatePageTest, AnOfferWithoutAddressKeepsTheSignInPage)
{
    Offer("");
    StartWindow();
    ASSERT_TRUE(WaitFor([&] { return boxes().CountOf(L"获取新版本失败！", L"错误") == 1; }));
    EXPECT_EQ(MainWindowPage(), 0);
}

TEST_F(UpdatePageTest, NoOfferShowsNothing)
{
    StartWindow();
    ASSERT_TRUE(WaitForTasks());
    EXPECT_EQ(MainWindowPage(), 0);
    EXPECT_EQ(boxes().Count(), 0u);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_app_upgrade").size(), 1u);
}

} // namespace
