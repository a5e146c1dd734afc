#include "service/devices/DeviceState.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

#include <algorithm>
#include <cstdio>

namespace service {
namespace {

    constexpr std::int64_t kDay = 86400;
    constexpr std::int64_t kHour = 3600;

    DeviceEntry Make(std::string id, std::string name, std::string plan, std::int64_t timeLeft, bool online,
        std::string groupId)
    {
        DeviceEntry device;
        device.id = id;
        device.name = std::move(name);
        char sn[32];
        std::snprintf(sn, sizeof sn, "VM%04d", std::atoi(id.c_str()));
        device.sn = sn;
        const int n = std::atoi(id.c_str());
        device.ip = "10.0." + std::to_string(n / 250) + "." + std::to_string(n % 250 + 1);
        device.online = online;
        device.time_left = timeLeft;
        device.bind_plan_type = std::move(plan);
        device.group_id = std::move(groupId);
        return device;
    }

    std::string TwoDigits(int n)
    {
        char text[8];
        std::snprintf(text, sizeof text, "%02d", n);
        return text;
    }

    void SeedDemo(std::map<std::int64_t, UserDevices>& users)
    {
        // User 42 "demo": 25 devices (three pages of ten), three plan types, three
        // groups, a few expired, one offline, one without a name.
        UserDevices& demo = users[42];
        demo.groups = { { "1", "家庭" }, { "2", "工作" }, { "3", "游戏" } };
        const char* plans[] = { "Lite", "Pro", "Max" };
        for (int n = 1; n <= 25; ++n) {
            std::string id = std::to_string(n);
            std::string name = "云手机" + TwoDigits(n);
            std::int64_t timeLeft = (n * 7 % 30 + 1) * kDay + (n % 24) * kHour;
            bool online = true;
            std::string group = std::to_string(n % 3 + 1);
            if (n == 5 || n == 12 || n == 19)
                timeLeft = 0; // expired
            if (n == 9)
                timeLeft = 40 * 60; // less than an hour: "about to expire"
            if (n == 14)
                timeLeft = 5 * kHour;
            if (n == 17)
                online = false; // the one offline device
            if (n == 21)
                name.clear(); // shown as "ID:21"
            if (n == 25)
                group = "99"; // matches no group
            demo.devices.push_back(Make(id, name, plans[n % 3], timeLeft, online, group));
        }

        // User 43: a few devices, one group.
        UserDevices& other = users[43];
        other.groups = { { "1", "默认" } };
        other.devices.push_back(Make("101", "张三的手机", "Pro", 10 * kDay, true, "1"));
        other.devices.push_back(Make("102", "备用机", "Lite", 2 * kHour, true, ""));
        other.devices.push_back(Make("103", "旧手机", "Lite", -kDay, false, "1"));
    }

    // Digits 0-9 as 3 × 5 cells, one row of three bits per line.
    constexpr unsigned char kDigits[10][5] = {
        { 7, 5, 5, 5, 7 },
        { 2, 6, 2, 2, 7 },
        { 7, 1, 7, 4, 7 },
        { 7, 1, 7, 1, 7 },
        { 5, 5, 7, 1, 1 },
        { 7, 4, 7, 1, 7 },
        { 7, 4, 7, 5, 7 },
        { 7, 1, 1, 1, 1 },
        { 7, 5, 7, 5, 7 },
        { 7, 5, 7, 1, 7 },
    };

} // namespace

void DeviceState::Seed(WorldKind kind)
{
    users.clear();
    failingPages.clear();
    if (kind == WorldKind::Demo)
        SeedDemo(users);
}

UserDevices& DeviceState::Of(std::int64_t userId)
{
    return users[userId];
}

DeviceEntry* DeviceState::Find(std::int64_t userId, const std::string& deviceId)
{
    auto user = users.find(userId);
    if (user == users.end())
        return nullptr;
    for (DeviceEntry& device : user->second.devices) {
        if (device.id == deviceId)
            return &device;
    }
    return nullptr;
}

std::string DeviceState::NextId() const
{
    long long highest = 0;
    for (const auto& [user, set] : users) {
        for (const DeviceEntry& device : set.devices)
            highest = std::max(highest, std::atoll(device.id.c_str()));
    }
    return std::to_string(highest + 1);
}

DeviceEntry& DeviceState::Add(std::int64_t userId, DeviceEntry device)
{
    if (device.id.empty())
        device.id = NextId();
    UserDevices& set = Of(userId);
    set.devices.push_back(std::move(device));
    return set.devices.back();
}

void DeviceState::Generate(std::int64_t userId, int count)
{
    UserDevices& set = Of(userId);
    set.devices.clear();
    const char* plans[] = { "Lite", "Pro", "Max" };
    for (int n = 1; n <= count; ++n) {
        const std::string group = set.groups.empty() ? std::string() : set.groups[n % set.groups.size()].id;
        set.devices.push_back(Make(std::to_string(n), "设备" + std::to_string(n), plans[n % 3],
            (n % 40) * kDay + kHour, n % 50 != 0, group));
    }
}

DeviceState& Devices(World& world)
{
    return world.Get<DeviceState>();
}

std::string MakeDeviceScreen(const DeviceEntry& device, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    const int n = std::atoi(device.id.c_str());
    // Each device its own hue; a status bar and app-like squares so the
    // picture reads as a phone screen.
    const QColor background = QColor::fromHsv((n * 47) % 360, 120, 200);
    image.fill(background);
    const int bar = std::max(1, height / 24);
    for (int y = 0; y < bar; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(20, 20, 30));
    const int icon = std::max(2, width / 6);
    const QRgb iconColour = QColor::fromHsv((n * 47 + 180) % 360, 90, 240).rgb();
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            const int left = icon / 2 + column * (icon + icon / 3);
            const int top = height / 2 + row * (icon + icon / 3);
            for (int y = top; y < std::min(height, top + icon); ++y)
                for (int x = left; x < std::min(width, left + icon); ++x)
                    image.setPixel(x, y, iconColour);
        }
    }
    // The device number in large digits near the top.
    const std::string digits = device.id.empty() ? std::string("0") : device.id.substr(0, 4);
    const int cell = std::max(1, width / 20);
    int left = width / 10;
    for (char c : digits) {
        if (c < '0' || c > '9')
            continue;
        const auto& glyph = kDigits[c - '0'];
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 3; ++column)
                if (glyph[row] & (4 >> column))
                    for (int y = 0; y < cell; ++y)
                        for (int x = 0; x < cell; ++x) {
                            const int px = left + column * cell + x;
                            const int py = height / 8 + row * cell + y;
                            if (px < width && py < height)
                                image.setPixel(px, py, qRgb(255, 255, 255));
                        }
        left += cell * 4;
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return std::string(jpeg.constData(), static_cast<std::size_t>(jpeg.size()));
}

} // namespace service
