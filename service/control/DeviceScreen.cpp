#include "service/control/DeviceScreen.h"

#include <algorithm>

namespace service {
namespace {

    using Clock = std::chrono::steady_clock;
    using L = ScreenLayout;

    constexpr std::size_t kLogLimit = 1000;
    constexpr std::size_t kTypedLimit = 200;

} // namespace

int ScreenHue(const std::string& padCode)
{
    unsigned hash = 2166136261u;
    for (unsigned char c : padCode)
        hash = (hash ^ c) * 16777619u;
    return static_cast<int>(hash % 360u);
}

int HomeAppAt(int x, int y, int scroll, int appCount)
{
    if (y < L::kGridTop || y >= L::kGridBottom || x < 0 || x >= L::kWidth)
        return -1;
    const int column = x / L::kCell;
    const int row = (y - L::kGridTop + scroll) / L::kRow;
    const int inCellX = x - column * L::kCell;
    const int inCellY = (y - L::kGridTop + scroll) - row * L::kRow;
    // The icon and its name answer; the gaps between cells do not.
    if (inCellX < 16 || inCellX >= L::kCell - 16 || inCellY < 8 || inCellY >= L::kRow - 8)
        return -1;
    const int index = row * L::kColumns + column;
    return index < appCount ? index : -1;
}

DeviceScreen::DeviceScreen(std::string padCode, int hue, std::vector<HomeApp> apps)
    : m_padCode(std::move(padCode))
    , m_hue(hue)
    , m_apps(std::make_shared<const std::vector<HomeApp>>(std::move(apps)))
{
}

int DeviceScreen::HomeScrollLimit() const
{
    const int rows = (static_cast<int>(m_apps->size()) + L::kColumns - 1) / L::kColumns;
    return std::max(0, rows * L::kRow - (L::kGridBottom - L::kGridTop));
}

void DeviceScreen::Apply(const stream::Input& input)
{
    const auto now = Clock::now();
    std::string line;
    {
        std::lock_guard lock(m_mutex);
        switch (input.kind) {
        case stream::Input::Kind::Tap: {
            const stream::Point p = input.path.empty() ? stream::Point {} : input.path.front();
            line = "tap " + std::to_string(p.x) + " " + std::to_string(p.y);
            Tap(p.x, p.y, now);
            break;
        }
        case stream::Input::Kind::Swipe: {
            const stream::Point a = input.path.front();
            const stream::Point b = input.path.back();
            line = "swipe " + std::to_string(a.x) + " " + std::to_string(a.y) + " " + std::to_string(b.x)
                + " " + std::to_string(b.y);
            const int dy = b.y - a.y;
            if (m_page == ScreenPage::Home)
                m_homeScroll = std::clamp(m_homeScroll - dy, 0, HomeScrollLimit());
            else if (m_page == ScreenPage::App)
                m_appScroll = std::clamp(m_appScroll - dy, 0,
                    L::kListRows * L::kListRow - (L::kHeight - L::kNavBar - L::kAppHeader - 200));
            break;
        }
        case stream::Input::Kind::Key:
            line = std::string("key ") + stream::KeyName(input.key);
            Press(input.key);
            break;
        case stream::Input::Kind::Text:
            line = "text " + input.text;
            if (m_page == ScreenPage::App && m_typed.size() + input.text.size() <= kTypedLimit)
                m_typed += input.text;
            break;
        }
        m_log.push_back(std::move(line));
        if (m_log.size() > kLogLimit)
            m_log.pop_front();
        ++m_version;
    }
    m_changed.notify_all();
}

void DeviceScreen::Tap(int x, int y, Clock::time_point now)
{
    m_ripples.push_back({ x, y, now });
    while (!m_ripples.empty() && now - m_ripples.front().start > kRippleTime)
        m_ripples.pop_front();
    if (y >= L::kHeight - L::kNavBar) {
        Press(x < L::kWidth / 3         ? stream::Key::Back
                : x < L::kWidth * 2 / 3 ? stream::Key::Home
                                        : stream::Key::Recents);
        return;
    }
    switch (m_page) {
    case ScreenPage::Home:
        if (const int app = HomeAppAt(x, y, m_homeScroll, static_cast<int>(m_apps->size())); app >= 0)
            Open(app, now);
        break;
    case ScreenPage::Recents: {
        const int card = (y - L::kStatusBar - 40) / (L::kRecentCard + 24);
        if (y >= L::kStatusBar + 40 && card < static_cast<int>(m_recents.size()) && x >= 80
            && x < L::kWidth - 80)
            Open(m_recents[static_cast<std::size_t>(card)], now);
        else
            m_page = ScreenPage::Home;
        break;
    }
    case ScreenPage::App:
        break;
    }
}

void DeviceScreen::Open(int app, Clock::time_point now)
{
    if (m_app != app) {
        m_typed.clear();
        m_appScroll = 0;
    }
    m_page = ScreenPage::App;
    m_app = app;
    m_openedAt = now;
    m_recents.erase(std::remove(m_recents.begin(), m_recents.end(), app), m_recents.end());
    m_recents.insert(m_recents.begin(), app);
    if (m_recents.size() > static_cast<std::size_t>(L::kMaxRecents))
        m_recents.resize(L::kMaxRecents);
}

void DeviceScreen::Press(stream::Key key)
{
    switch (key) {
    case stream::Key::Back:
    case stream::Key::Home:
        m_page = ScreenPage::Home;
        break;
    case stream::Key::Recents:
        m_page = m_page == ScreenPage::Recents ? ScreenPage::Home : ScreenPage::Recents;
        break;
    }
}

ScreenSnapshot DeviceScreen::Take() const
{
    ScreenSnapshot s;
    s.now = Clock::now();
    s.wallNow = std::chrono::system_clock::now();
    s.apps = m_apps;
    s.hue = m_hue;
    std::lock_guard lock(m_mutex);
    s.page = m_page;
    s.app = m_app;
    s.homeScroll = m_homeScroll;
    s.appScroll = m_appScroll;
    s.typed = m_typed;
    s.recents = m_recents;
    s.openedAt = m_openedAt;
    for (const Ripple& r : m_ripples) {
        if (s.now - r.start < kRippleTime)
            s.ripples.push_back(r);
    }
    s.animated = s.page == ScreenPage::App || !s.ripples.empty();
    return s;
}

std::uint64_t DeviceScreen::Version() const
{
    std::lock_guard lock(m_mutex);
    return m_version;
}

void DeviceScreen::WaitForChange(std::uint64_t seen, Clock::time_point until) const
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_until(lock, until, [&] { return m_version != seen; });
}

void DeviceScreen::Wake()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_version;
    }
    m_changed.notify_all();
}

std::vector<std::string> DeviceScreen::InputLog() const
{
    std::lock_guard lock(m_mutex);
    return { m_log.begin(), m_log.end() };
}

} // namespace service
