// The notification page in the real window: the lists of the three
// categories, their red dots and the one on OptOfNotify, the read mark, the
// empty page and the 60-second poll.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/Messages.h"
#include "app/window/CMainWnd.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UILabel.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UITabLayout.h"

namespace {

using namespace korvana::test;
using namespace DuiLib;
using nlohmann::json;

constexpr const wchar_t* kDot = L"file='img\\dot_r_6.png' dest='65,3,71,9'";
constexpr const wchar_t* kMenuDot = L"file='img\\dot_r_6.png' dest='53,6,59,12'";

class NotifyPageTest : public MainWindowTest {
protected:
    void SetMessages(const json& setup)
    {
        EXPECT_EQ(control().Post("/__test/messages/set", setup.dump()).status, 200);
    }
    std::vector<std::string> ReadMarks()
    {
        std::vector<std::string> bodies;
        for (const LoggedRequest& r : control().RequestsTo("/api/qtz/front_user_message_has_read"))
            bodies.push_back(r.body);
        return bodies;
    }
    CListUI* List() { return FindAs<CListUI>(L"ListOfNotify"); }
    int NotifyTab() { return FindAs<CTabLayoutUI>(L"TabOfNotify")->GetCurSel(); }
    std::wstring Fore(const wchar_t* name) { return Find(name)->GetForeImage(); }
    std::wstring ItemText(int row, const wchar_t* name)
    {
        CControlUI* item = List()->GetItemAt(row);
        CControlUI* control = item ? item->FindSubControl(name) : nullptr;
        return control ? control->GetText() : L"<none>";
    }
    // Signs in and waits for the first poll's lists.
    void SignInAndWaitForPoll()
    {
        StartWindow();
        SignInAs(L"demo", L"korvana123");
        ASSERT_TRUE(
            WaitFor([&] { return control().RequestsTo("/api/qtz/front_user_message_list").size() >= 3; }));
        ASSERT_TRUE(WaitForTasks());
        ui().ProcessEvents(50);
    }
    void Select(const wchar_t* option)
    {
        ASSERT_TRUE(ui().Click(option));
        ui().ProcessEvents(20);
    }
};

TEST_F(NotifyPageTest, TheFirstPollShowsNoticesWithDotsAndOpeningClearsThem)
{
    SetMessages({ { "type", 2 }, { "last_read_id", 55 },
        { "messages",
            { { { "id", "57" }, { "title", "设备即将到期" }, { "description", "两个\n词" },
                  { "publish_at", "97200" } },
                { { "id", "56" }, { "title", "续费成功" }, { "description", "已续费" },
                    { "publish_at", "1796083200" } } } } });
    SetMessages({ { "type", 3 }, { "last_read_id", 31 }, { "count", 2 }, { "first_id", 30 } });
    SignInAndWaitForPoll();
    EXPECT_TRUE(
        window().GetPaintManager().HasTimer(window().GetPaintManager().GetRoot(), msg::kTimerMessagePoll));

    // The page shows the last load; the menu dot tells of unread notices.
    Select(L"OptOfNotify");
    EXPECT_EQ(MainTabPage(), 4);
    ASSERT_EQ(List()->GetCount(), 2);
    EXPECT_EQ(NotifyTab(), 0);
    EXPECT_EQ(ItemText(0, L"LabOfTitle"), L"设备即将到期");
    EXPECT_EQ(ItemText(0, L"EditOfContent"), L"两个词");
    EXPECT_EQ(ItemText(0, L"LabOfTime"), L"1970-01-02");
    EXPECT_EQ(ItemText(1, L"LabOfTime"), L"2026-12-01");
    EXPECT_EQ(Fore(L"OptOfUserNotify"), kDot);
    EXPECT_EQ(Fore(L"OptOfSysNotify"), L"");
    EXPECT_EQ(Fore(L"OptOfActNotify"), L"");
    EXPECT_EQ(Fore(L"OptOfNotify"), kMenuDot);
    ui().SavePng(PngPath("notify-unread"));

    // Opening another category and coming back clears the notices' dot and
    // marks them read up to 57.
    Select(L"OptOfSysNotify");
    EXPECT_EQ(List()->GetCount(), 2) << "the demo's two system messages";
    Select(L"OptOfUserNotify");
    ASSERT_TRUE(WaitForTasks());
    EXPECT_EQ(Fore(L"OptOfUserNotify"), L"");
    EXPECT_EQ(Fore(L"OptOfNotify"), L"");
    EXPECT_EQ(ReadMarks(), (std::vector<std::string> { "&type=1&id=12", "&type=2&id=57" }));
    ui().SavePng(PngPath("notify-read"));
}

TEST_F(NotifyPageTest, AnEmptyCategoryShowsTheEmptyPage)
{
    SetMessages({ { "type", 3 } });
    SignInAndWaitForPoll();
    Select(L"OptOfNotify");
    Select(L"OptOfActNotify");
    EXPECT_EQ(List()->GetCount(), 0);
    EXPECT_EQ(NotifyTab(), 1);
    EXPECT_EQ(ReadMarks(), std::vector<std::string> { "&type=3&id=0" });
    ui().SavePng(PngPath("notify-empty"));
}

TEST_F(NotifyPageTest, TheTimerRedrawsTheCategoryShownAndSetsNewDots)
{
    SignInAndWaitForPoll();
    Select(L"OptOfNotify");
    Select(L"OptOfActNotify");
    ASSERT_TRUE(WaitForTasks());
    EXPECT_EQ(List()->GetCount(), 2);
    EXPECT_EQ(Fore(L"OptOfActNotify"), L"");

    // New activity news and a new system message arrive; one tick of timer
    // 1000 brings them.
    SetMessages({ { "type", 3 }, { "last_read_id", 31 }, { "count", 3 }, { "first_id", 30 } });
    SetMessages({ { "type", 1 }, { "last_read_id", 12 }, { "count", 13 }, { "first_id", 1 } });
    control().ClearLog();
    CPaintManagerUI& paint = window().GetPaintManager();
    paint.SendNotify(paint.GetRoot(), DUI_MSGTYPE_TIMER, msg::kTimerMessagePoll);
    ASSERT_TRUE(WaitFor([&] { return List()->GetCount() == 3; }));
    ASSERT_TRUE(WaitForTasks());
    ui().ProcessEvents(20);
    EXPECT_EQ(ItemText(0, L"LabOfTitle"), L"消息 32");
    EXPECT_EQ(Fore(L"OptOfActNotify"), kDot) << "32 is above the read mark 31";
    EXPECT_EQ(Fore(L"OptOfSysNotify"), kDot);
    EXPECT_EQ(Fore(L"OptOfNotify"), kMenuDot);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_user_message_list").size(), 4u)
        << "13 system messages: 2 pages";
}

// A failed read mark is only logged: the next poll brings the dot back from
// the service's unchanged mark (it used to stay off for the whole run), and
// the poll sends no marks of its own.
TEST_F(NotifyPageTest, AFailedReadMarkLetsTheNextPollShowTheDotAgain)
{
    SignInAndWaitForPoll();
    control().InjectFault({ { "path", "/api/qtz/front_user_message_has_read" }, { "kind", "not_json" } });
    Select(L"OptOfNotify");
    // The notices are the category shown first: another one, then back.
    Select(L"OptOfSysNotify");
    Select(L"OptOfUserNotify");
    ASSERT_TRUE(WaitForTasks());
    EXPECT_EQ(Fore(L"OptOfUserNotify"), L"");
    control().ClearLog();
    CPaintManagerUI& paint = window().GetPaintManager();
    paint.SendNotify(paint.GetRoot(), DUI_MSGTYPE_TIMER, msg::kTimerMessagePoll);
    ASSERT_TRUE(
        WaitFor([&] { return control().RequestsTo("/api/qtz/front_user_message_list").size() >= 3; }));
    ASSERT_TRUE(WaitForTasks());
    ui().ProcessEvents(20);
    EXPECT_EQ(Fore(L"OptOfUserNotify"), kDot);
    EXPECT_EQ(Fore(L"OptOfNotify"), kMenuDot);
    EXPECT_TRUE(ReadMarks().empty());
}

TEST_F(NotifyPageTest, AFailedPollEmptiesTheListsWithoutABoxAndKeepsTheDots)
{
    SignInAndWaitForPoll();
    Select(L"OptOfNotify");
    EXPECT_EQ(List()->GetCount(), 4);
    control().InjectFault({ { "path", "/api/qtz/front_user_message_list" }, { "drop", true } });
    CPaintManagerUI& paint = window().GetPaintManager();
    paint.SendNotify(paint.GetRoot(), DUI_MSGTYPE_TIMER, msg::kTimerMessagePoll);
    ASSERT_TRUE(WaitFor([&] { return List()->GetCount() == 0; }));
    EXPECT_EQ(NotifyTab(), 1);
    EXPECT_EQ(boxes().Count(), 0u);
    // Nothing was read: the ids seen before still stand above the read marks.
    EXPECT_EQ(Fore(L"OptOfUserNotify"), kDot);
    EXPECT_EQ(Fore(L"OptOfNotify"), kMenuDot);
}

TEST_F(NotifyPageTest, SignOutEmptiesTheListsAndDots)
{
    SignInAndWaitForPoll();
    EXPECT_EQ(Fore(L"OptOfNotify"), kMenuDot);
    window().SignOut();
    ASSERT_TRUE(WaitForTasks());
    ui().ProcessEvents(20);
    EXPECT_EQ(List()->GetCount(), 0);
    EXPECT_EQ(Fore(L"OptOfNotify"), L"");
    EXPECT_FALSE(
        window().GetPaintManager().HasTimer(window().GetPaintManager().GetRoot(), msg::kTimerMessagePoll));
}

} // namespace
