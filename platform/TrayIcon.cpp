#include "platform/TrayIcon.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <atomic>

#include "platform/TestHook.h"

namespace {

HookSlot<void(const TrayIconEvent&)> g_hook;
std::atomic<int> g_availability {-1};

// A plain mark for builds or tests that set no application icon, so the tray
// never gets an empty icon.
QIcon FallbackIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1E, 0x88, 0xE5));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(2, 2, 28, 28, 6, 6);
    return QIcon(pixmap);
}

QIcon IconOf(const TrayIconLook& look)
{
    if (!look.iconImage.empty()) {
        QPixmap pixmap;
        if (pixmap.loadFromData(reinterpret_cast<const uchar*>(look.iconImage.data()),
                                static_cast<uint>(look.iconImage.size())))
            return QIcon(pixmap);
    }
    QIcon appIcon = QGuiApplication::windowIcon();
    return appIcon.isNull() ? FallbackIcon() : appIcon;
}

LPARAM MouseMessageOf(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return WM_LBUTTONUP;
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Context:
        return WM_RBUTTONUP;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONUP;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return WM_MOUSEMOVE;
}

}  // namespace

struct TrayIcon::Impl {
    Callback callback;
    std::unique_ptr<QSystemTrayIcon> icon;
    bool added = false;
};

TrayIcon::TrayIcon() : m_impl(std::make_unique<Impl>()) {}

TrayIcon::~TrayIcon()
{
    Remove();
}

void TrayIcon::SetCallback(Callback callback)
{
    m_impl->callback = std::move(callback);
}

bool TrayIcon::Add(const TrayIconLook& look)
{
    if (auto hook = g_hook.Get()) {
        m_impl->added = true;
        hook(TrayIconEvent {TrayIconEvent::Kind::Added, look});
        return true;
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    if (!m_impl->icon) {
        m_impl->icon = std::make_unique<QSystemTrayIcon>();
        QObject::connect(m_impl->icon.get(), &QSystemTrayIcon::activated,
                         [this](QSystemTrayIcon::ActivationReason reason) { DeliverMouseMessage(MouseMessageOf(reason)); });
    }
    m_impl->icon->setIcon(IconOf(look));
    m_impl->icon->setToolTip(QString::fromStdWString(look.tip));
    m_impl->icon->show();
    m_impl->added = true;
    if (!look.balloonText.empty())
        m_impl->icon->showMessage(QString::fromStdWString(look.balloonTitle), QString::fromStdWString(look.balloonText),
                                  QSystemTrayIcon::Information, look.balloonMs);
    return true;
}

void TrayIcon::Remove()
{
    if (!m_impl->added)
        return;
    m_impl->added = false;
    if (m_impl->icon) {
        m_impl->icon->hide();
        m_impl->icon.reset();
    }
    if (auto hook = g_hook.Get())
        hook(TrayIconEvent {TrayIconEvent::Kind::Removed, {}});
}

bool TrayIcon::IsAdded() const
{
    return m_impl->added;
}

void TrayIcon::DeliverMouseMessage(LPARAM mouseMessage)
{
    if (m_impl->callback)
        m_impl->callback(mouseMessage);
}

bool TrayIcon::IsTrayAvailable()
{
    int forced = g_availability.load();
    if (forced >= 0)
        return forced != 0;
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && QSystemTrayIcon::isSystemTrayAvailable();
}

void SetTrayIconHook(TrayIconHook hook)
{
    g_hook.Set(std::move(hook));
}

void SetTrayAvailabilityForTesting(int available)
{
    g_availability.store(available < 0 ? -1 : (available ? 1 : 0));
}
