#include "tests/desktop/SniWatcher.h"

#include <QDBusMessage>
#include <QMetaObject>

namespace korvana::test {

QStringList SniWatcherObject::RegisteredStatusNotifierItems() const
{
    QStringList names;
    for (const Item& item : Items())
        names << item.service + item.path;
    return names;
}

std::vector<SniWatcherObject::Item> SniWatcherObject::Items() const
{
    std::lock_guard lock(m_mutex);
    return m_items;
}

void SniWatcherObject::RegisterStatusNotifierItem(const QString& service)
{
    Item item;
    if (service.startsWith(QLatin1Char('/'))) {
        item.service = message().service();
        item.path = service;
    } else {
        item.service = service;
        item.path = QStringLiteral("/StatusNotifierItem");
    }
    {
        std::lock_guard lock(m_mutex);
        m_items.push_back(item);
    }
    emit StatusNotifierItemRegistered(service);
}

SniWatcher::SniWatcher()
{
    m_thread.start();
    m_object = new SniWatcherObject;
    m_object->moveToThread(&m_thread);
    QMetaObject::invokeMethod(
        m_object,
        [this] {
            QDBusConnection bus
                = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("sni-watcher"));
            m_ok = bus.isConnected()
                && bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), m_object,
                    QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties
                        | QDBusConnection::ExportAllSignals)
                && bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        },
        Qt::BlockingQueuedConnection);
}

SniWatcher::~SniWatcher()
{
    QMetaObject::invokeMethod(
        m_object,
        [this] {
            QDBusConnection bus(QStringLiteral("sni-watcher"));
            bus.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
            bus.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
            delete m_object;
        },
        Qt::BlockingQueuedConnection);
    QDBusConnection::disconnectFromBus(QStringLiteral("sni-watcher"));
    m_thread.quit();
    m_thread.wait();
}

} // namespace korvana::test
