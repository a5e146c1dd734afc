// The tray icon on a desktop with a StatusNotifierItem host: run under Xvfb
// and a session bus of its own (dbus-run-session), with the minimal watcher
// of SniWatcher.h. The icon registers, its exported menu holds the tray items
// with their check marks, and choosing 退出 there asks "要退出么？".
#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <future>

#include "app/SettingsFile.h"
#include "app/TrayMenu.h"
#include "app/window/CMainWnd.h"
#include "platform/TrayIcon.h"
#include "tests/desktop/SniWatcher.h"
#include "tests/support/MainWindowTest.h"

namespace {

using namespace korvana::test;

struct MenuEntry {
    int id = 0;
    QString label;
    QString type; // "separator" or empty
    QString toggleType; // "checkmark" for a check item
    int toggleState = -1;
};

void ReadLayout(const QDBusArgument& arg, std::vector<MenuEntry>& out, bool top)
{
    int id = 0;
    QVariantMap props;
    arg.beginStructure();
    arg >> id >> props;
    if (!top)
        out.push_back({ id, props.value("label").toString(), props.value("type").toString(),
            props.value("toggle-type").toString(),
            props.contains("toggle-state") ? props.value("toggle-state").toInt() : -1 });
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        ReadLayout(qvariant_cast<QDBusArgument>(child.variant()), out, false);
    }
    arg.endArray();
    arg.endStructure();
}

// What a tray host does, on a connection of its own: find the item's menu,
// tell it it is about to show, read its layout.
struct HostView {
    QString error;
    QString menuPath;
    QString status;
    std::vector<MenuEntry> entries;
};

QDBusConnection HostBus()
{
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("sni-host"));
}

HostView ReadMenu(const SniWatcherObject::Item& item)
{
    HostView view;
    QDBusConnection bus = HostBus();
    auto property = [&](const char* name) {
        QDBusMessage get = QDBusMessage::createMethodCall(
            item.service, item.path, "org.freedesktop.DBus.Properties", "Get");
        get << QStringLiteral("org.kde.StatusNotifierItem") << QString::fromLatin1(name);
        QDBusMessage reply = bus.call(get, QDBus::Block, 20000);
        if (reply.type() != QDBusMessage::ReplyMessage)
            view.error = reply.errorMessage();
        return qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant();
    };
    view.status = property("Status").toString();
    view.menuPath = property("Menu").value<QDBusObjectPath>().path();
    if (view.menuPath.isEmpty())
        return view;
    QDBusMessage about = QDBusMessage::createMethodCall(
        item.service, view.menuPath, "com.canonical.dbusmenu", "AboutToShow");
    about << 0;
    bus.call(about, QDBus::Block, 20000);
    QDBusMessage layout
        = QDBusMessage::createMethodCall(item.service, view.menuPath, "com.canonical.dbusmenu", "GetLayout");
    layout << 0 << -1 << QStringList();
    QDBusMessage reply = bus.call(layout, QDBus::Block, 20000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) {
        view.error = reply.errorMessage();
        return view;
    }
    ReadLayout(qvariant_cast<QDBusArgument>(reply.arguments().at(1)), view.entries, true);
    return view;
}

QString Click(const SniWatcherObject::Item& item, const QString& menuPath, int id)
{
    QDBusMessage event
        = QDBusMessage::createMethodCall(item.service, menuPath, "com.canonical.dbusmenu", "Event");
    event << id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(QVariant(0))) << 0u;
    QDBusMessage reply = HostBus().call(event, QDBus::Block, 20000);
    return reply.type() == QDBusMessage::ReplyMessage ? QString() : reply.errorMessage();
}

class StatusNotifierTrayTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // The real icon this time, not the recorder.
        SetTrayIconHook(nullptr);
        SetTrayAvailabilityForTesting(-1);
    }
    // Runs a host call aside: the item answers on this (the UI) thread.
    template <class F> auto Aside(F f)
    {
        auto result = std::async(std::launch::async, f);
        EXPECT_TRUE(WaitFor(
            [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 60000));
        return result.get();
    }
};

TEST_F(StatusNotifierTrayTest, TheIconRegistersAndItsMenuHoldsTheTrayItemsAndQuitAsks)
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || qgetenv("QT_QPA_PLATFORM") != "xcb")
        GTEST_SKIP() << "needs a session bus and an X display (run through dbus-run-session under xvfb-run)";
    SniWatcher watcher;
    ASSERT_TRUE(watcher.ok()) << "the watcher name is taken";
    boxes().SetDefaultAnswer(MessageBoxAnswer::Cancel);
    StartWindow();
    SignInAs(L"demo", L"korvana123");
    ASSERT_TRUE(window().IsLoggedIn());
    ASSERT_TRUE(WaitFor([&] { return !watcher.Items().empty(); }, 30000))
        << "no item registered with the watcher";
    ASSERT_TRUE(TrayIcon::IsTrayAvailable());
    const SniWatcherObject::Item item = watcher.Items().front();

    const HostView view = Aside([&] { return ReadMenu(item); });
    ASSERT_TRUE(view.error.isEmpty()) << view.error.toStdString();
    // Shown (Active, or NeedsAttention while the welcome balloon is up).
    EXPECT_TRUE(view.status == QStringLiteral("Active") || view.status == QStringLiteral("NeedsAttention"))
        << view.status.toStdString();
    ASSERT_FALSE(view.menuPath.isEmpty()) << "the item exports no menu";

    // The tray items, in order, with the settings' check marks.
    const std::vector<MenuItem> expected = TrayMenuItems(Settings());
    ASSERT_EQ(view.entries.size(), expected.size());
    int quitId = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const MenuEntry& got = view.entries[i];
        if (expected[i].separator) {
            EXPECT_EQ(got.type, QStringLiteral("separator"));
            continue;
        }
        EXPECT_EQ(got.label, QString::fromStdWString(expected[i].text));
        if (expected[i].checkable) {
            EXPECT_EQ(got.toggleType, QStringLiteral("checkmark")) << got.label.toStdString();
            EXPECT_EQ(got.toggleState, expected[i].checked ? 1 : 0) << got.label.toStdString();
        }
        if (expected[i].text == L"退出")
            quitId = got.id;
    }
    ASSERT_NE(quitId, 0) << "no 退出 in the menu";

    const QString clicked = Aside([&] { return Click(item, view.menuPath, quitId); });
    EXPECT_TRUE(clicked.isEmpty()) << clicked.toStdString();
    EXPECT_TRUE(WaitFor([&] { return boxes().CountOf(L"要退出么？", L"提示") == 1; }, 20000));
    EXPECT_TRUE(window().IsLoggedIn()) << "answered no: the client stays";
}

} // namespace
