// The synthetic device screen: what a tap, a swipe, a key and text do to it.
#include <gtest/gtest.h>

#include "service/control/DeviceScreen.h"
#include "service/control/ScreenPainter.h"
#include "tests/support/QtApp.h"

namespace {

using namespace service;
using L = ScreenLayout;

std::vector<HomeApp> Apps(int count)
{
    std::vector<HomeApp> apps;
    for (int i = 0; i < count; ++i)
        apps.push_back({ "app" + std::to_string(i), QImage(), i * 30 });
    return apps;
}

stream::Input Tap(int x, int y)
{
    stream::Input input;
    input.kind = stream::Input::Kind::Tap;
    input.path = { { x, y } };
    return input;
}

stream::Input Swipe(int x1, int y1, int x2, int y2)
{
    stream::Input input;
    input.kind = stream::Input::Kind::Swipe;
    input.path = { { x1, y1 }, { x2, y2 } };
    return input;
}

stream::Input KeyPress(stream::Key key)
{
    stream::Input input;
    input.kind = stream::Input::Kind::Key;
    input.key = key;
    return input;
}

// The centre of a home icon, on the unscrolled grid.
stream::Input TapIcon(int index, int scroll = 0)
{
    return Tap((index % L::kColumns) * L::kCell + L::kCell / 2,
        L::kGridTop + (index / L::kColumns) * L::kRow + 80 - scroll);
}

TEST(DeviceScreen, ATapOnAnIconOpensItsAppAndBackReturnsHome)
{
    DeviceScreen screen("VM1", 10, Apps(24));
    EXPECT_FALSE(screen.Take().animated); // a still home screen
    screen.Apply(TapIcon(5));
    ScreenSnapshot s = screen.Take();
    EXPECT_EQ(s.page, ScreenPage::App);
    EXPECT_EQ(s.app, 5);
    ASSERT_EQ(s.ripples.size(), 1u);
    EXPECT_EQ(s.ripples[0].x, TapIcon(5).path[0].x);
    EXPECT_TRUE(s.animated);

    stream::Input text;
    text.kind = stream::Input::Kind::Text;
    text.text = "hi";
    screen.Apply(text);
    EXPECT_EQ(screen.Take().typed, "hi");
    screen.Apply(KeyPress(stream::Key::Back));
    EXPECT_EQ(screen.Take().page, ScreenPage::Home);
    // The nav bar's buttons are keys too: recents, then a card reopens the app.
    screen.Apply(Tap(L::kWidth - 60, L::kHeight - 50));
    s = screen.Take();
    EXPECT_EQ(s.page, ScreenPage::Recents);
    EXPECT_EQ(s.recents, std::vector<int> { 5 });
    screen.Apply(Tap(L::kWidth / 2, L::kStatusBar + 40 + L::kRecentCard / 2));
    EXPECT_EQ(screen.Take().app, 5);
    screen.Apply(Tap(L::kWidth / 2, L::kHeight - 50)); // home button
    EXPECT_EQ(screen.Take().page, ScreenPage::Home);
    EXPECT_EQ(screen.InputLog(),
        (std::vector<std::string> {
            "tap 270 624", "text hi", "key back", "tap 660 1230", "tap 360 216", "tap 360 1230" }));
}

TEST(DeviceScreen, ASwipeScrollsTheHomeGridWithinItsLength)
{
    DeviceScreen screen("VM1", 10, Apps(24)); // 6 rows, 4 of them shown
    const int limit = 6 * L::kRow - (L::kGridBottom - L::kGridTop);
    screen.Apply(Swipe(300, 1000, 300, 900));
    EXPECT_EQ(screen.Take().homeScroll, 100);
    screen.Apply(Swipe(300, 1100, 300, 400));
    EXPECT_EQ(screen.Take().homeScroll, limit);
    // The icons move with it: the first icon of the fifth row is now in reach.
    screen.Apply(TapIcon(16, limit));
    EXPECT_EQ(screen.Take().app, 16);
    screen.Apply(KeyPress(stream::Key::Home));
    screen.Apply(Swipe(300, 400, 300, 1100));
    EXPECT_EQ(screen.Take().homeScroll, 0);
}

TEST(DeviceScreen, GapsAndEmptyCellsOpenNothing)
{
    EXPECT_EQ(HomeAppAt(5, L::kGridTop + 80, 0, 24), -1); // the margin left of an icon
    EXPECT_EQ(HomeAppAt(90, L::kGridTop + 80, 0, 24), 0);
    EXPECT_EQ(HomeAppAt(90, L::kGridTop + 5 * L::kRow + 80, 0, 21), -1); // past the last app
    EXPECT_EQ(HomeAppAt(90, L::kStatusBar + 10, 0, 24), -1); // the clock
    EXPECT_EQ(HomeAppAt(90, L::kGridBottom + 10, 0, 24), -1); // the nav bar
}

TEST(DeviceScreen, ThePainterShowsTheRippleWhereTheTapWas)
{
    korvana::test::EnsureQtApplication();
    DeviceScreen screen("VM1", 200, Apps(4));
    ScreenPainter painter(360, 640);
    const QImage before = painter.Paint(screen.Take()).copy();
    screen.Apply(Tap(700, 300)); // right of the grid's icons: only a ripple
    const QImage after = painter.Paint(screen.Take());
    EXPECT_EQ(screen.Take().page, ScreenPage::Home);
    // At half size the ring sits around (350, 150).
    int changed = 0;
    for (int y = 120; y < 180; ++y) {
        for (int x = 320; x < 360; ++x)
            changed += before.pixel(x, y) != after.pixel(x, y) ? 1 : 0;
    }
    EXPECT_GT(changed, 100);
    EXPECT_EQ(before.pixel(20, 600), after.pixel(20, 600));
}

} // namespace
