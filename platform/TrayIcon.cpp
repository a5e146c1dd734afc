#include "platform/TrayIcon.h"

#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <atomic>

#include "platform/TestHook.h"

namespace {

HookSlot<void(const TrayIconEvent&)> g_hook;
std::atomic<int> g_availability { -1 };

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

// The menu's actions follow the items: updated in place while the ids stay
// the same (so a D-Bus host keeps its item ids), rebuilt otherwise.
void FillMenu(QMenu& menu, const std::vector<MenuItem>& items)
{
    const QList<QAction*> actions = menu.actions();
    bool same = actions.size() == static_cast<qsizetype>(items.size());
    for (std::size_t i = 0; same && i < items.size(); ++i)
        same = actions[static_cast<qsizetype>(i)]->isSeparator() == items[i].separator
            && actions[static_cast<qsizetype>(i)]->data().toUInt() == items[i].id;
    if (!same) {
        menu.clear();
        for (const MenuItem& item : items) {
            QAction* action = item.separator ? menu.addSeparator() : menu.addAction(QString());
            action->setData(item.id);
        }
    }
    const QList<QAction*> now = menu.actions();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].separator)
            continue;
        QAction* action = now[static_cast<qsizetype>(i)];
        action->setText(QString::fromStdWString(items[i].text));
        action->setCheckable(items[i].checkable);
        action->setChecked(items[i].checked);
        action->setEnabled(items[i].enabled);
    }
}

} // namespace

struct TrayIcon::Impl {
    Callback callback;
    MenuItems menuItems;
    MenuChoice menuChoice;
    std::unique_ptr<QMenu> menu;
    std::unique_ptr<QSystemTrayIcon> icon;
    bool added = false;

    void RefreshMenu()
    {
        if (menu && menuItems)
            FillMenu(*menu, menuItems());
    }
};

TrayIcon::TrayIcon()
    : m_impl(std::make_unique<Impl>())
{
}

TrayIcon::~TrayIcon()
{
    Remove();
}

void TrayIcon::SetCallback(Callback callback)
{
    m_impl->callback = std::move(callback);
}

void TrayIcon::SetMenu(MenuItems items, MenuChoice chosen)
{
    m_impl->menuItems = std::move(items);
    m_impl->menuChoice = std::move(chosen);
}

bool TrayIcon::Add(const TrayIconLook& look)
{
    if (auto hook = g_hook.Get()) {
        m_impl->added = true;
        hook(TrayIconEvent { TrayIconEvent::Kind::Added, look });
        return true;
    }
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    if (!m_impl->icon) {
        m_impl->icon = std::make_unique<QSystemTrayIcon>();
        if (m_impl->menuItems) {
            m_impl->menu = std::make_unique<QMenu>();
            Impl* impl = m_impl.get();
            QObject::connect(impl->menu.get(), &QMenu::aboutToShow, [impl] { impl->RefreshMenu(); });
            QObject::connect(impl->menu.get(), &QMenu::triggered, [impl](QAction* action) {
                if (impl->menuChoice && action)
                    impl->menuChoice(action->data().toUInt());
            });
            impl->RefreshMenu();
            m_impl->icon->setContextMenu(impl->menu.get());
        }
        QObject::connect(m_impl->icon.get(), &QSystemTrayIcon::activated,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Context && m_impl->menu)
                    return;
                DeliverMouseMessage(MouseMessageOf(reason));
            });
    }
    m_impl->RefreshMenu();
    m_impl->icon->setIcon(IconOf(look));
    m_impl->icon->setToolTip(QString::fromStdWString(look.tip));
    m_impl->icon->show();
    m_impl->added = true;
    if (!look.balloonText.empty())
        m_impl->icon->showMessage(QString::fromStdWString(look.balloonTitle),
            QString::fromStdWString(look.balloonText), QSystemTrayIcon::Information, look.balloonMs);
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
        m_impl->menu.reset();
    }
    if (auto hook = g_hook.Get())
        hook(TrayIconEvent { TrayIconEvent::Kind::Removed, {} });
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
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        && QSystemTrayIcon::isSystemTrayAvailable();
}

void SetTrayIconHook(TrayIconHook hook)
{
    g_hook.Set(std::move(hook));
}

void SetTrayAvailabilityForTesting(int available)
{
    g_availability.store(available < 0 ? -1 : (available ? 1 : 0));
}
