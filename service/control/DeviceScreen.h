#pragma once

#include <QImage>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "stream/StreamProtocol.h"

namespace service {

// One app on a device's home screen: the catalogue's name and icon.
struct HomeApp {
    std::string name; // UTF-8
    QImage icon;
    int hue = 0; // the colour of its own screen
};

// Where things are on the 720 x 1280 screen, in device pixels.
struct ScreenLayout {
    static constexpr int kWidth = 720;
    static constexpr int kHeight = 1280;
    static constexpr int kStatusBar = 56;
    static constexpr int kNavBar = 112;
    static constexpr int kClockBottom = 336; // the clock widget above the icon grid
    static constexpr int kColumns = 4;
    static constexpr int kCell = 180;
    static constexpr int kRow = 208;
    static constexpr int kIcon = 128;
    static constexpr int kGridTop = kClockBottom;
    static constexpr int kGridBottom = kHeight - kNavBar;
    static constexpr int kAppHeader = 216;
    static constexpr int kListRow = 120;
    static constexpr int kListRows = 24;
    static constexpr int kRecentCard = 240;
    static constexpr int kMaxRecents = 4;
};

enum class ScreenPage { Home, App, Recents };

struct Ripple {
    int x = 0;
    int y = 0;
    std::chrono::steady_clock::time_point start;
};

// What one picture of the screen shows: a copy, so it is painted without
// the screen's lock.
struct ScreenSnapshot {
    ScreenPage page = ScreenPage::Home;
    int app = -1; // the open app's index in `apps`
    int homeScroll = 0;
    int appScroll = 0;
    std::string typed; // text typed into the open app
    std::vector<int> recents; // app indices, latest first
    std::vector<Ripple> ripples;
    std::chrono::steady_clock::time_point openedAt;
    std::chrono::steady_clock::time_point now;
    std::chrono::system_clock::time_point wallNow;
    std::shared_ptr<const std::vector<HomeApp>> apps;
    int hue = 0; // the device's wallpaper
    bool animated = false; // something moves: the next picture is due soon
};

// The living screen of one synthetic device: a home screen of app icons,
// each app's own screen, the recent apps, and the ripples taps leave. Inputs
// and pictures may come from several connections at once; one lock guards it.
class DeviceScreen {
public:
    static constexpr auto kRippleTime = std::chrono::milliseconds(450);

    DeviceScreen(std::string padCode, int hue, std::vector<HomeApp> apps);

    // Applies one input event; the log keeps it as text ("tap 200 400").
    void Apply(const stream::Input& input);
    ScreenSnapshot Take() const;
    // The change counter: raised by every input and by Wake.
    std::uint64_t Version() const;
    // Waits until the version differs from `seen`, `until` passes, or Wake.
    void WaitForChange(std::uint64_t seen, std::chrono::steady_clock::time_point until) const;
    void Wake();

    std::vector<std::string> InputLog() const;
    const std::string& padCode() const { return m_padCode; }

private:
    void Tap(int x, int y, std::chrono::steady_clock::time_point now);
    void Open(int app, std::chrono::steady_clock::time_point now);
    void Press(stream::Key key);
    int HomeScrollLimit() const;

    const std::string m_padCode;
    const int m_hue;
    const std::shared_ptr<const std::vector<HomeApp>> m_apps;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::uint64_t m_version = 0;
    ScreenPage m_page = ScreenPage::Home;
    int m_app = -1;
    int m_homeScroll = 0;
    int m_appScroll = 0;
    std::string m_typed;
    std::vector<int> m_recents;
    std::deque<Ripple> m_ripples;
    std::chrono::steady_clock::time_point m_openedAt;
    std::deque<std::string> m_log;
};

// The wallpaper hue of a device, from its pad code.
int ScreenHue(const std::string& padCode);

// Which home-screen app a point hits at this scroll, or -1.
int HomeAppAt(int x, int y, int scroll, int appCount);

} // namespace service
