#include "service/devices/DeviceRoutes.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "service/Base64.h"
#include "service/Server.h"
#include "service/devices/DeviceState.h"

namespace service {
namespace {

    using ordered_json = nlohmann::ordered_json;

    // A positive decimal form value, or `fallback` for anything else.
    long long PositiveNumber(const std::string& text, long long fallback)
    {
        long long value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || value < 1)
            return fallback;
        return value;
    }

    // "&type=0&page_size=10&page_index=n": one page of the user's devices, every
    // field a string, "pages" the number of pages (0 without devices).
    void DeviceList(Call& call)
    {
        DeviceState& state = Devices(call.world);
        const auto& devices = state.Of(call.userId).devices;
        const long long size = std::min<long long>(PositiveNumber(call.Param("page_size"), 10), 1000);
        const long long index = PositiveNumber(call.Param("page_index"), 1);
        if (auto failing = state.failingPages.find(index); failing != state.failingPages.end()) {
            call.Fail(failing->second);
            return;
        }
        const long long total = static_cast<long long>(devices.size());
        const long long pages = (total + size - 1) / size;
        ordered_json data = ordered_json::array();
        for (long long i = (index - 1) * size; i < std::min(total, index * size); ++i) {
            const DeviceEntry& d = devices[static_cast<std::size_t>(i)];
            data.push_back({ { "id", d.id }, { "name", d.name }, { "sn", d.sn }, { "ip", d.ip },
                { "online_status", d.online ? "1" : "0" }, { "time_left", std::to_string(d.time_left) },
                { "bind_plan_type", d.bind_plan_type }, { "group_id", d.group_id } });
        }
        call.Succeed({ { "total", total }, { "pages", pages }, { "page_index", index }, { "data", data } });
    }

    // The user's group set: an object from id to name, in set order.
    void GroupsGet(Call& call)
    {
        ordered_json set = ordered_json::object();
        for (const DeviceGroup& group : Devices(call.world).Of(call.userId).groups)
            set[group.id] = group.name;
        call.Succeed(set);
    }

    // "&groups={...}": the whole set replaces the stored one, in its order.
    void GroupsSet(Call& call)
    {
        ordered_json set = ordered_json::parse(call.Param("groups"), nullptr, false);
        if (set.is_discarded() || !set.is_object()) {
            call.Fail("分组数据格式错误");
            return;
        }
        std::vector<DeviceGroup> groups;
        for (const auto& [id, name] : set.items())
            groups.push_back({ id, name.is_string() ? name.get<std::string>() : std::string() });
        Devices(call.world).Of(call.userId).groups = std::move(groups);
        call.Succeed({ { "code", 0 }, { "msg", "保存成功" } });
    }

    // "&id=a,b,&name=...&group_id=...": a non-empty name renames, a non-empty
    // group id moves; every listed device must be the user's.
    void DeviceSet(Call& call)
    {
        DeviceState& state = Devices(call.world);
        std::vector<DeviceEntry*> targets;
        const std::string ids = call.Param("id");
        std::size_t start = 0;
        while (start <= ids.size()) {
            const std::size_t comma = std::min(ids.find(',', start), ids.size());
            const std::string id = ids.substr(start, comma - start);
            if (!id.empty()) {
                DeviceEntry* device = state.Find(call.userId, id);
                if (device == nullptr) {
                    call.Fail("设备不存在");
                    return;
                }
                targets.push_back(device);
            }
            start = comma + 1;
        }
        if (targets.empty()) {
            call.Fail("请选择设备");
            return;
        }
        const std::string name = call.Param("name");
        const std::string group = call.Param("group_id");
        for (DeviceEntry* device : targets) {
            if (!name.empty())
                device->name = name;
            if (!group.empty())
                device->group_id = group;
        }
        call.Succeed({ { "code", 0 }, { "msg", "保存成功" } });
    }

    // "&id=": the device's current screen as a Base64 JPEG; an offline device
    // cannot be reached.
    void Capture(Call& call)
    {
        DeviceEntry* device = Devices(call.world).Find(call.userId, call.Param("id"));
        if (device == nullptr) {
            call.Fail("设备不存在");
            return;
        }
        if (!device->online) {
            call.Fail("设备离线，无法截屏");
            return;
        }
        if (device->screenshot.empty())
            device->screenshot = MakeDeviceScreen(*device);
        call.Succeed({ { "base64", Base64Encode(device->screenshot) } });
    }

    std::int64_t UserQuery(Control& control)
    {
        const long long user = PositiveNumber(control.Query("user"), 0);
        if (user == 0)
            throw std::invalid_argument("user=<id> is required");
        return user;
    }

} // namespace

void RegisterDeviceRoutes(Server& server)
{
    server.world().Add<DeviceState>();
    const RouteOptions cp936 { .session = true, .charset = Charset::Cp936 };
    const RouteOptions utf8 { .session = true, .charset = Charset::Utf8 };
    server.AddCall("/api/qtz/front_device_list", cp936, DeviceList);
    server.AddCall("/api/qtz/front_device_groups_get", cp936, GroupsGet);
    server.AddCall("/api/qtz/front_device_groups_set", utf8, GroupsSet);
    server.AddCall("/api/qtz/front_device_set", utf8, DeviceSet);
    server.AddCall("/api/qtz/front_device_capture", cp936, Capture);

    // ?user=42&count=1000: the user's devices replaced by generated ones.
    server.AddControl("devices/generate", [](Control& c) {
        const std::int64_t user = UserQuery(c);
        const std::string text = c.Query("count");
        const long long count = text == "0" ? 0 : PositiveNumber(text, -1);
        if (count < 0 || count > 100000)
            throw std::invalid_argument("count=0..100000 is required");
        Devices(c.server.world()).Generate(user, static_cast<int>(count));
        c.Json({ { "count", count } });
    });
    // ?user=42&id=7, body = the bytes the next captures return as the screen.
    server.AddControl("devices/screen", [](Control& c) {
        DeviceEntry* device = Devices(c.server.world()).Find(UserQuery(c), c.Query("id"));
        if (device == nullptr)
            throw std::invalid_argument("no such device");
        device->screenshot = c.request.body;
        c.Json({ { "size", device->screenshot.size() } });
    });
    // ?page=2&text=...: that list page fails with the text from now on.
    server.AddControl("devices/fail_page", [](Control& c) {
        const long long page = PositiveNumber(c.Query("page"), 0);
        if (page == 0)
            throw std::invalid_argument("page=<n> is required");
        Devices(c.server.world()).failingPages[page] = c.Query("text");
        c.Json({ { "page", page } });
    });
    // ?user=42: the user's devices and groups as stored.
    server.AddControl("devices/state", [](Control& c) {
        const UserDevices& set = Devices(c.server.world()).Of(UserQuery(c));
        nlohmann::json devices = nlohmann::json::array();
        for (const DeviceEntry& d : set.devices)
            devices.push_back({ { "id", d.id }, { "name", d.name }, { "sn", d.sn }, { "ip", d.ip },
                { "online", d.online }, { "time_left", d.time_left }, { "bind_plan_type", d.bind_plan_type },
                { "group_id", d.group_id } });
        nlohmann::json groups = nlohmann::json::array();
        for (const DeviceGroup& g : set.groups)
            groups.push_back({ { "id", g.id }, { "name", g.name } });
        c.Json({ { "devices", devices }, { "groups", groups } });
    });
}

} // namespace service
