#pragma once

// A minimal StatusNotifierWatcher for the tray test: takes registrations of
// items and says a host is there, so Qt's tray icon goes over D-Bus. It lives
// on a connection and a thread of its own, so the client's synchronous calls
// to it from the UI thread are answered.

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QThread>

#include <mutex>

namespace korvana::test {

class SniWatcherObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)

public:
    QStringList RegisteredStatusNotifierItems() const;
    bool IsStatusNotifierHostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }

    // "service" or "service/path" names the item; the bus name of the caller
    // is kept beside it, where the item answers.
    struct Item {
        QString service; // the bus name to call
        QString path; // the object path of the item
    };
    std::vector<Item> Items() const;

public slots:
    void RegisterStatusNotifierItem(const QString& service);
    void RegisterStatusNotifierHost(const QString&) { }

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    mutable std::mutex m_mutex;
    std::vector<Item> m_items;
};

class SniWatcher {
public:
    SniWatcher(); // registered on the session bus when it returns (see ok())
    ~SniWatcher();
    bool ok() const { return m_ok; }
    std::vector<SniWatcherObject::Item> Items() const { return m_object->Items(); }

private:
    QThread m_thread;
    SniWatcherObject* m_object = nullptr; // lives in m_thread, deleted there
    bool m_ok = false;
};

} // namespace korvana::test
