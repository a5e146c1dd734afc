#include "service/control/ControlState.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <algorithm>

#include "service/apps/AppState.h"
#include "service/control/ScreenPainter.h"
#include "service/devices/DeviceState.h"

namespace service {
namespace {

    constexpr std::size_t kHomeApps = 24;

} // namespace

void ControlState::Attach(World& world)
{
    m_world = &world;
    m_stream
        = std::make_unique<PlayStreamServer>([this](const stream::Hello& hello) { return Admit(hello); });
    m_restorer = std::thread([this] { Restore(); });
}

void ControlState::Grant(const std::string& session, const std::string& deviceId)
{
    m_grants.emplace(session, deviceId);
}

std::shared_ptr<DeviceScreen> ControlState::FindScreen(const std::string& deviceId) const
{
    auto found = m_screens.find(deviceId);
    return found == m_screens.end() ? nullptr : found->second;
}

std::shared_ptr<DeviceScreen> ControlState::ScreenOf(std::int64_t userId, const std::string& deviceId)
{
    const DeviceEntry* device = Devices(*m_world).Find(userId, deviceId);
    if (device == nullptr)
        return nullptr;
    std::shared_ptr<DeviceScreen>& screen = m_screens[deviceId];
    if (!screen) {
        // The home screen shows the first apps of the user's catalogue, with
        // the catalogue's icons at the screen's size.
        std::vector<HomeApp> apps;
        for (const CatalogueApp* app : Apps(*m_world).ListingFor(userId)) {
            if (apps.size() == kHomeApps)
                break;
            const std::string png = MakeIconPng(app->id, ScreenLayout::kIcon);
            HomeApp home { app->name,
                QImage::fromData(
                    reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG"),
                static_cast<int>((app->id * 47) % 360) };
            apps.push_back(std::move(home));
        }
        // A reset gives the device a fresh wallpaper.
        const int hue = (ScreenHue(device->sn) + Device(deviceId).resets * 97) % 360;
        screen = std::make_shared<DeviceScreen>(device->sn, hue, std::move(apps));
    }
    return screen;
}

Admission ControlState::Admit(const stream::Hello& hello)
{
    std::lock_guard lock(m_world->mutex());
    Admission admission;
    const std::optional<std::int64_t> user = m_world->sessions().Find(hello.session);
    if (!user || hello.user != std::to_string(*user)) {
        admission.refusal = stream::Refusal { stream::Reason::Session, "会话无效，请在客户端重新打开设备" };
        return admission;
    }
    const DeviceEntry* device = nullptr;
    for (const DeviceEntry& each : Devices(*m_world).Of(*user).devices) {
        if (each.sn == hello.padCode)
            device = &each;
    }
    if (device == nullptr) {
        admission.refusal = stream::Refusal { stream::Reason::Device, "设备不存在" };
        return admission;
    }
    // Only the session the play address was handed to may watch.
    if (m_grants.count({ hello.session, device->id }) == 0) {
        admission.refusal = stream::Refusal { stream::Reason::Session, "会话无效，请在客户端重新打开设备" };
        return admission;
    }
    if (!device->online) {
        admission.refusal = stream::Refusal { stream::Reason::Offline, "设备离线或正在重启，稍后重试" };
        return admission;
    }
    admission.deviceId = device->id;
    admission.screen = ScreenOf(*user, device->id);
    return admission;
}

ControlState::~ControlState()
{
    if (m_stream)
        m_stream->Stop();
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
    // Every stream of the old world ends; its screens and grants go.
    if (m_stream)
        m_stream->EndStreams("", stream::Reason::Shutdown, "服务已重置");
    m_screens.clear();
    m_grants.clear();
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
    if (m_stream)
        m_stream->EndStreams(deviceId, stream::Reason::Offline, "设备正在重启");
    {
        std::lock_guard lock(m_pendingMutex);
        m_pending.push_back({ userId, deviceId, std::chrono::steady_clock::now() + busyTime, m_generation });
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
        // A copy: wait_until reads the deadline again after waking, when a
        // new busy device may have moved the list's storage.
        const auto until = next->until;
        if (std::chrono::steady_clock::now() < until) {
            m_wake.wait_until(lock, until);
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
            const bool stillBusy = std::any_of(m_pending.begin(), m_pending.end(),
                [&](const Pending& p) { return p.userId == due.userId && p.deviceId == due.deviceId; });
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

std::string ScreenJpeg(const DeviceScreen& screen, int width, int height)
{
    ScreenPainter painter(width, height);
    const QImage& picture = painter.Paint(screen.Take());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG", 80);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace service
