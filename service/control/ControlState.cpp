#include "service/control/ControlState.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "service/devices/DeviceState.h"

namespace service {

void ControlState::Attach(World& world)
{
    m_world = &world;
    m_restorer = std::thread([this] { Restore(); });
}

ControlState::~ControlState()
{
    {
        std::lock_guard lock(m_pendingMutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_restorer.joinable())
        m_restorer.join();
}

void ControlState::Seed(WorldKind)
{
    m_devices.clear();
    uploads.clear();
    busyTime = std::chrono::milliseconds(3000);
    std::lock_guard lock(m_pendingMutex);
    m_pending.clear();
    ++m_generation;
}

void ControlState::MakeBusy(std::int64_t userId, const std::string& deviceId)
{
    DeviceEntry* device = m_world == nullptr ? nullptr : Devices(*m_world).Find(userId, deviceId);
    if (device == nullptr)
        return;
    device->online = false;
    {
        std::lock_guard lock(m_pendingMutex);
        m_pending.push_back({userId, deviceId, std::chrono::steady_clock::now() + busyTime, m_generation});
    }
    m_wake.notify_all();
}

void ControlState::Restore()
{
    std::unique_lock lock(m_pendingMutex);
    for (;;) {
        if (m_stop)
            return;
        if (m_pending.empty()) {
            m_wake.wait(lock);
            continue;
        }
        auto next = std::min_element(m_pending.begin(), m_pending.end(),
                                     [](const Pending& a, const Pending& b) { return a.until < b.until; });
        if (std::chrono::steady_clock::now() < next->until) {
            m_wake.wait_until(lock, next->until);
            continue;
        }
        const Pending due = *next;
        m_pending.erase(next);
        lock.unlock();
        {
            // The world lock first, as every handler takes it; Seed runs
            // under it, so the generation read below cannot change meanwhile.
            std::lock_guard worldLock(m_world->mutex());
            std::lock_guard pendingLock(m_pendingMutex);
            const bool stillBusy = std::any_of(m_pending.begin(), m_pending.end(), [&](const Pending& p) {
                return p.userId == due.userId && p.deviceId == due.deviceId;
            });
            if (due.generation == m_generation && !stillBusy) {
                if (DeviceEntry* device = Devices(*m_world).Find(due.userId, due.deviceId))
                    device->online = true;
            }
        }
        lock.lock();
    }
}

const DeviceControlRecord* ControlState::FindDevice(const std::string& id) const
{
    auto found = m_devices.find(id);
    return found == m_devices.end() ? nullptr : &found->second;
}

ControlState& Controls(World& world)
{
    return world.Get<ControlState>();
}

std::string RenderDeviceScreen(const std::string& sn, const DeviceControlRecord& record, std::int64_t tick)
{
    constexpr int kWidth = 360;
    constexpr int kHeight = 640;
    unsigned hash = 2166136261u;
    for (unsigned char c : sn)
        hash = (hash ^ c) * 16777619u;
    // A reset gives the device a fresh wallpaper.
    const int hue = static_cast<int>((hash + static_cast<unsigned>(record.resets) * 97u) % 360u);

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wallpaper(0, 0, 0, kHeight);
    wallpaper.setColorAt(0, QColor::fromHsv(hue, 150, 220));
    wallpaper.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 200, 90));
    painter.fillRect(image.rect(), wallpaper);
    painter.fillRect(QRect(0, 0, kWidth, 24), QColor(0, 0, 0, 90));
    // The clock bar of the status row moves with every frame.
    painter.fillRect(QRect(12, 9, 20 + static_cast<int>(tick % 60), 6), QColor(255, 255, 255, 200));
    painter.setPen(Qt::NoPen);
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 4; ++column) {
            const int icon = row * 4 + column;
            painter.setBrush(QColor::fromHsv((hue + icon * 23) % 360, 120 + (icon * 7) % 100, 250));
            painter.drawRoundedRect(QRect(28 + column * 80, 70 + row * 96, 56, 56), 14, 14);
        }
    }
    painter.setBrush(QColor(255, 255, 255, 70));
    painter.drawRoundedRect(QRect(16, kHeight - 96, kWidth - 32, 80), 24, 24);
    if (record.lastTapX >= 0) {
        painter.setPen(QPen(QColor(255, 255, 255), 4));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPoint(record.lastTapX, record.lastTapY), 22, 22);
    }
    painter.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 80);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace service
