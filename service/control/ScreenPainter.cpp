#include "service/control/ScreenPainter.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstring>
#include <ctime>

namespace service {
namespace {

    using L = ScreenLayout;

    std::string MinuteText(std::chrono::system_clock::time_point at, const char* format)
    {
        const std::time_t t = std::chrono::system_clock::to_time_t(at);
        std::tm local {};
        localtime_r(&t, &local);
        char text[64] = {};
        std::strftime(text, sizeof text, format, &local);
        return text;
    }

    QFont Font(int pixels, bool bold = false)
    {
        QFont font(QStringLiteral("Sans"));
        font.setPixelSize(pixels);
        font.setBold(bold);
        return font;
    }

    void StatusBar(QPainter& p, const ScreenSnapshot& s, bool dark)
    {
        p.fillRect(QRect(0, 0, L::kWidth, L::kStatusBar), QColor(0, 0, 0, dark ? 150 : 70));
        p.setPen(QColor(255, 255, 255));
        p.setFont(Font(28, true));
        p.drawText(QRect(24, 0, 300, L::kStatusBar), Qt::AlignVCenter | Qt::AlignLeft,
            QString::fromStdString(MinuteText(s.wallNow, "%H:%M")));
        p.setFont(Font(24));
        p.drawText(QRect(L::kWidth - 330, 0, 200, L::kStatusBar), Qt::AlignVCenter | Qt::AlignRight,
            QStringLiteral("Korvana 5G"));
        // Signal bars and the battery.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255));
        for (int i = 0; i < 4; ++i)
            p.drawRect(QRect(L::kWidth - 118 + i * 10, 38 - i * 6, 6, 6 + i * 6));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255), 3));
        p.drawRoundedRect(QRect(L::kWidth - 66, 18, 40, 22), 4, 4);
        p.fillRect(QRect(L::kWidth - 61, 23, 24, 12), QColor(255, 255, 255));
    }

    void NavBar(QPainter& p)
    {
        const int top = L::kHeight - L::kNavBar;
        p.fillRect(QRect(0, top, L::kWidth, L::kNavBar), QColor(0, 0, 0, 120));
        p.setPen(QPen(QColor(255, 255, 255, 230), 5));
        p.setBrush(Qt::NoBrush);
        const int mid = top + L::kNavBar / 2;
        QPolygon back;
        back << QPoint(L::kWidth / 6 + 18, mid - 22) << QPoint(L::kWidth / 6 - 18, mid)
             << QPoint(L::kWidth / 6 + 18, mid + 22);
        p.drawPolygon(back);
        p.drawEllipse(QPoint(L::kWidth / 2, mid), 24, 24);
        p.drawRoundedRect(QRect(L::kWidth * 5 / 6 - 22, mid - 22, 44, 44), 6, 6);
    }

    QColor AppColour(const ScreenSnapshot& s, int app)
    {
        const int hue = app >= 0 && app < static_cast<int>(s.apps->size())
            ? (*s.apps)[static_cast<std::size_t>(app)].hue
            : 200;
        return QColor::fromHsv(hue, 170, 210);
    }

    QString AppName(const ScreenSnapshot& s, int app)
    {
        return app >= 0 && app < static_cast<int>(s.apps->size())
            ? QString::fromStdString((*s.apps)[static_cast<std::size_t>(app)].name)
            : QString();
    }

    void PaintHome(QPainter& p, const ScreenSnapshot& s)
    {
        QLinearGradient wallpaper(0, 0, 0, L::kHeight);
        wallpaper.setColorAt(0, QColor::fromHsv(s.hue, 150, 220));
        wallpaper.setColorAt(1, QColor::fromHsv((s.hue + 40) % 360, 200, 90));
        p.fillRect(QRect(0, 0, L::kWidth, L::kHeight), wallpaper);
        // The clock widget.
        p.setPen(QColor(255, 255, 255));
        p.setFont(Font(132));
        p.drawText(QRect(0, L::kStatusBar + 20, L::kWidth, 170), Qt::AlignCenter,
            QString::fromStdString(MinuteText(s.wallNow, "%H:%M")));
        p.setFont(Font(30));
        p.drawText(QRect(0, L::kStatusBar + 190, L::kWidth, 50), Qt::AlignCenter,
            QString::fromStdString(MinuteText(s.wallNow, "%Y-%m-%d  %a")));
        // The icon grid, scrolled, clipped between the clock and the nav bar.
        p.save();
        p.setClipRect(QRect(0, L::kGridTop, L::kWidth, L::kGridBottom - L::kGridTop));
        p.setFont(Font(26));
        for (std::size_t i = 0; i < s.apps->size(); ++i) {
            const int column = static_cast<int>(i) % L::kColumns;
            const int row = static_cast<int>(i) / L::kColumns;
            const int x = column * L::kCell + (L::kCell - L::kIcon) / 2;
            const int y = L::kGridTop + row * L::kRow + 16 - s.homeScroll;
            if (y + L::kRow < L::kGridTop || y > L::kGridBottom)
                continue;
            p.drawImage(QRect(x, y, L::kIcon, L::kIcon), (*s.apps)[i].icon);
            p.setPen(QColor(255, 255, 255));
            p.drawText(QRect(column * L::kCell + 4, y + L::kIcon + 6, L::kCell - 8, 44),
                Qt::AlignHCenter | Qt::AlignTop,
                p.fontMetrics().elidedText(
                    QString::fromStdString((*s.apps)[i].name), Qt::ElideRight, L::kCell - 8));
        }
        p.restore();
        StatusBar(p, s, false);
        NavBar(p);
    }

    void PaintApp(QPainter& p, const ScreenSnapshot& s)
    {
        const QColor colour = AppColour(s, s.app);
        p.fillRect(QRect(0, 0, L::kWidth, L::kHeight), QColor(245, 246, 250));
        p.fillRect(QRect(0, 0, L::kWidth, L::kAppHeader), colour);
        if (s.app >= 0 && s.app < static_cast<int>(s.apps->size()))
            p.drawImage(
                QRect(28, L::kStatusBar + 28, 104, 104), (*s.apps)[static_cast<std::size_t>(s.app)].icon);
        p.setPen(QColor(255, 255, 255));
        p.setFont(Font(44, true));
        p.drawText(QRect(156, L::kStatusBar, L::kWidth - 180, L::kAppHeader - L::kStatusBar),
            Qt::AlignVCenter | Qt::AlignLeft, AppName(s, s.app));
        // The text field.
        const QRect field(32, L::kAppHeader + 132, L::kWidth - 64, 72);
        p.setPen(QPen(colour, 3));
        p.setBrush(QColor(255, 255, 255));
        p.drawRoundedRect(field, 12, 12);
        p.setFont(Font(30));
        p.setPen(s.typed.empty() ? QColor(160, 160, 170) : QColor(30, 30, 40));
        p.drawText(field.adjusted(20, 0, -20, 0), Qt::AlignVCenter | Qt::AlignLeft,
            s.typed.empty() ? QStringLiteral("输入文字…") : QString::fromStdString(s.typed));
        // A list that a swipe scrolls.
        const int listTop = field.bottom() + 24;
        p.save();
        p.setClipRect(QRect(0, listTop, L::kWidth, L::kHeight - L::kNavBar - listTop));
        p.setFont(Font(30));
        for (int i = 0; i < L::kListRows; ++i) {
            const int y = listTop + i * L::kListRow - s.appScroll;
            if (y + L::kListRow < listTop || y > L::kHeight)
                continue;
            p.fillRect(QRect(24, y + 8, L::kWidth - 48, L::kListRow - 16), QColor(255, 255, 255));
            p.setPen(Qt::NoPen);
            p.setBrush(colour.lighter(120 + (i % 3) * 15));
            p.drawEllipse(QRect(44, y + 28, 64, 64));
            p.setPen(QColor(40, 40, 50));
            p.drawText(QRect(132, y + 8, L::kWidth - 180, L::kListRow - 16), Qt::AlignVCenter | Qt::AlignLeft,
                AppName(s, s.app) + QStringLiteral(" · 第 %1 项").arg(i + 1));
        }
        p.restore();
        StatusBar(p, s, true);
        NavBar(p);
    }

    void PaintRecents(QPainter& p, const ScreenSnapshot& s)
    {
        p.fillRect(QRect(0, 0, L::kWidth, L::kHeight), QColor(40, 44, 56));
        p.setFont(Font(34, true));
        for (std::size_t i = 0; i < s.recents.size(); ++i) {
            const QRect card(80, L::kStatusBar + 40 + static_cast<int>(i) * (L::kRecentCard + 24),
                L::kWidth - 160, L::kRecentCard);
            p.setPen(Qt::NoPen);
            p.setBrush(AppColour(s, s.recents[i]));
            p.drawRoundedRect(card, 24, 24);
            p.setPen(QColor(255, 255, 255));
            p.drawText(card, Qt::AlignCenter, AppName(s, s.recents[i]));
        }
        if (s.recents.empty()) {
            p.setPen(QColor(200, 200, 210));
            p.drawText(QRect(0, 0, L::kWidth, L::kHeight), Qt::AlignCenter, QStringLiteral("没有最近的应用"));
        }
        StatusBar(p, s, true);
        NavBar(p);
    }

    // The moving element of an app's screen: a ball that crosses its band and
    // back every two seconds, and a bar that fills with it.
    void PaintMotion(QPainter& p, const ScreenSnapshot& s)
    {
        const double t = std::chrono::duration<double>(s.now - s.openedAt).count();
        const double phase = 0.5 - 0.5 * std::cos(t * 3.14159265358979);
        const QColor colour = AppColour(s, s.app);
        const QRect band(32, L::kAppHeader + 24, L::kWidth - 64, 88);
        p.fillRect(band, QColor(230, 232, 240));
        const int x = band.left() + 44 + static_cast<int>(phase * (band.width() - 88));
        p.setPen(Qt::NoPen);
        p.setBrush(colour.darker(120));
        p.drawEllipse(QPoint(x, band.center().y()), 36, 36);
        p.fillRect(QRect(band.left(), band.bottom() - 6, static_cast<int>(phase * band.width()), 6), colour);
    }

    void PaintRipples(QPainter& p, const ScreenSnapshot& s)
    {
        for (const Ripple& r : s.ripples) {
            const double f = std::clamp(std::chrono::duration<double>(s.now - r.start)
                    / std::chrono::duration<double>(DeviceScreen::kRippleTime),
                0.0, 1.0);
            const int radius = 28 + static_cast<int>(f * 70);
            const int alpha = 240 - static_cast<int>(f * 140);
            p.setPen(QPen(QColor(255, 255, 255, alpha), 8));
            p.setBrush(QColor(120, 120, 130, alpha / 2));
            p.drawEllipse(QPoint(r.x, r.y), radius, radius);
        }
    }

} // namespace

std::mutex& TextLock()
{
    static std::mutex lock;
    return lock;
}

ScreenPainter::ScreenPainter(int width, int height)
    : m_width(width)
    , m_height(height)
    , m_layer(width, height, QImage::Format_RGB32)
    , m_frame(width, height, QImage::Format_RGB32)
{
}

void ScreenPainter::BuildLayer(const ScreenSnapshot& s)
{
    std::lock_guard lock(TextLock());
    QPainter p(&m_layer);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(static_cast<double>(m_width) / L::kWidth, static_cast<double>(m_height) / L::kHeight);
    switch (s.page) {
    case ScreenPage::Home:
        PaintHome(p, s);
        break;
    case ScreenPage::App:
        PaintApp(p, s);
        break;
    case ScreenPage::Recents:
        PaintRecents(p, s);
        break;
    }
}

const QImage& ScreenPainter::Paint(const ScreenSnapshot& s)
{
    std::string key
        = std::to_string(static_cast<int>(s.page)) + "|" + MinuteText(s.wallNow, "%Y%m%d%H%M") + "|";
    switch (s.page) {
    case ScreenPage::Home:
        key += std::to_string(s.homeScroll);
        break;
    case ScreenPage::App:
        key += std::to_string(s.app) + "|" + std::to_string(s.appScroll) + "|" + s.typed;
        break;
    case ScreenPage::Recents:
        for (int app : s.recents)
            key += std::to_string(app) + ",";
        break;
    }
    if (key != m_layerKey) {
        BuildLayer(s);
        m_layerKey = std::move(key);
    }
    if (s.page != ScreenPage::App && s.ripples.empty())
        return m_layer;
    // Copy the layer's pixels into the picture, then draw what moves.
    std::memcpy(m_frame.bits(), m_layer.constBits(), static_cast<std::size_t>(m_layer.sizeInBytes()));
    QPainter p(&m_frame);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(static_cast<double>(m_width) / L::kWidth, static_cast<double>(m_height) / L::kHeight);
    if (s.page == ScreenPage::App)
        PaintMotion(p, s);
    PaintRipples(p, s);
    return m_frame;
}

} // namespace service
