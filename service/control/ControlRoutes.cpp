#include "service/control/ControlRoutes.h"

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>

#include "service/Server.h"
#include "service/apps/AppRoutes.h"
#include "service/control/ControlState.h"
#include "service/devices/DeviceState.h"

namespace service {
namespace {

    // The signed-in user's device with this pad code, or null.
    DeviceEntry* DeviceBySn(Call& call, const std::string& sn)
    {
        for (DeviceEntry& device : Devices(call.world).Of(call.userId).devices) {
            if (device.sn == sn)
                return &device;
        }
        return nullptr;
    }

    // The address the request reached, so the player comes back to this service
    // whatever port it was started on.
    std::pair<std::string, std::string> ServedAddress(const HttpRequest& request)
    {
        std::string host = request.Header("Host");
        if (host.empty())
            return { "127.0.0.1", "80" };
        const std::size_t colon = host.rfind(':');
        if (colon == std::string::npos || host.find(']', colon) != std::string::npos)
            return { host, "80" };
        return { host.substr(0, colon), host.substr(colon + 1) };
    }

    void PlayUrl(Call& call)
    {
        const std::string id = call.Param("id");
        const DeviceEntry* device = Devices(call.world).Find(call.userId, id);
        if (device == nullptr) {
            call.Fail("设备不存在");
            return;
        }
        if (!device->online) {
            call.Fail("设备离线，无法连接");
            return;
        }
        // The host the request reached, the port of the play stream; the
        // stream admits this session for this device.
        const std::string ip = ServedAddress(call.request).first;
        ControlState& state = Controls(call.world);
        state.Grant(call.sessionToken, id);
        call.Succeed({ { "ip", ip }, { "port", std::to_string(state.Stream().port()) }, { "id", id } });
    }

    void StartOperation(Call& call, bool reset)
    {
        const std::string id = call.Param("id");
        DeviceEntry* device = Devices(call.world).Find(call.userId, id);
        if (device == nullptr) {
            call.Fail("设备不存在");
            return;
        }
        ControlState& state = Controls(call.world);
        state.MakeBusy(call.userId, id);
        if (reset) {
            // A reset device starts from a fresh screen.
            ++state.Device(id).resets;
            state.ForgetScreen(id);
            device->screenshot.clear();
        }
        call.Succeed({ { "code", 0 }, { "msg", reset ? "重置中" : "重启中" } });
    }

    // One picture of the living screen as JPEG, for hand tests; the players
    // use the play stream. The device by its pad code ("sn"), the user by
    // "user"; the session comes as the cookie.
    void Screen(Call& call)
    {
        const std::string sn = call.Param("sn");
        const DeviceEntry* device = DeviceBySn(call, sn);
        if (device == nullptr || call.Param("user") != std::to_string(call.userId)) {
            call.reply.status = 403;
            call.reply.contentType = "text/plain; charset=utf-8";
            call.reply.body = "forbidden";
            return;
        }
        if (!device->online) {
            call.reply.status = 503;
            call.reply.contentType = "text/plain; charset=utf-8";
            call.reply.body = "offline or rebooting";
            return;
        }
        call.reply.contentType = "image/jpeg";
        call.reply.body = ScreenJpeg(*Controls(call.world).ScreenOf(call.userId, device->id), 360, 640);
    }

    bool ReadCoordinate(const std::string& text, int& value)
    {
        if (text.empty() || text.size() > 6
            || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        value = std::stoi(text);
        return true;
    }

    // Input as a form: "kind" tap (x, y) or swipe (x, y, x2, y2) in device
    // pixels; the same as the play stream's, for hand tests.
    void Input(Call& call)
    {
        const std::string sn = call.Param("sn");
        const std::string kind = call.Param("kind");
        int x = 0, y = 0, x2 = 0, y2 = 0;
        const bool tap
            = kind == "tap" && ReadCoordinate(call.Param("x"), x) && ReadCoordinate(call.Param("y"), y);
        const bool swipe = kind == "swipe" && ReadCoordinate(call.Param("x"), x)
            && ReadCoordinate(call.Param("y"), y) && ReadCoordinate(call.Param("x2"), x2)
            && ReadCoordinate(call.Param("y2"), y2);
        const DeviceEntry* device = DeviceBySn(call, sn);
        if (device == nullptr || call.Param("user") != std::to_string(call.userId) || (!tap && !swipe)) {
            call.Fail("输入无效");
            return;
        }
        stream::Input input;
        input.kind = tap ? stream::Input::Kind::Tap : stream::Input::Kind::Swipe;
        input.path.push_back({ x, y });
        if (swipe)
            input.path.push_back({ x2, y2 });
        const auto inside = [](const stream::Point& p) {
            return p.x < ScreenLayout::kWidth && p.y < ScreenLayout::kHeight;
        };
        if (!std::all_of(input.path.begin(), input.path.end(), inside)) {
            call.Fail("输入无效");
            return;
        }
        Controls(call.world).ScreenOf(call.userId, device->id)->Apply(input);
        call.Succeed({ { "code", 0 } });
    }

    // Multipart: "content" (the file), "filename", "id" (one id, or ids each
    // followed by ","), "is_app" ("0" one device, "2" a batch, "1" an app
    // package for the market).
    void Upload(Call& call)
    {
        // An app package becomes one of the user's apps in the market.
        if (call.Param("is_app") == "1") {
            AcceptAppUpload(call);
            return;
        }
        const FormField* content = call.form.Find("content");
        const std::string filename = call.Param("filename");
        const std::string ids = call.Param("id");
        const std::string isApp = call.Param("is_app");
        if (content == nullptr || filename.empty()) {
            call.Fail("上传文件不能为空");
            return;
        }
        std::vector<std::string> targets;
        std::size_t start = 0;
        while (start <= ids.size()) {
            const std::size_t comma = ids.find(',', start);
            const std::string id
                = ids.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            if (!id.empty()) {
                if (Devices(call.world).Find(call.userId, id) == nullptr) {
                    call.Fail("设备不存在");
                    return;
                }
                targets.push_back(id);
            }
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        if (targets.empty()) {
            call.Fail("请选择设备");
            return;
        }
        ControlState& state = Controls(call.world);
        for (const std::string& id : targets)
            state.uploads.push_back({ id, filename, content->value, isApp });
        call.Succeed({ { "code", 0 }, { "msg", "上传成功" } });
    }

} // namespace

void RegisterControlRoutes(Server& server)
{
    ControlState& state = server.world().Add<ControlState>();
    state.Attach(server.world());
    server.AddSideListener(state.Stream());
    server.AddCall("/api/qtz/front_device_play_url", { .session = true }, PlayUrl);
    server.AddCall(
        "/api/qtz/front_device_reboot", { .session = true }, [](Call& call) { StartOperation(call, false); });
    server.AddCall(
        "/api/qtz/front_device_reset", { .session = true }, [](Call& call) { StartOperation(call, true); });
    server.AddCall(
        "/api/qtz/front_device_file_upload", { .session = true, .charset = Charset::Utf8 }, Upload);
    server.AddCall("/api/qtz/front_device_screen", { .session = true }, Screen);
    server.AddCall("/api/qtz/front_device_input", { .session = true }, Input);

    // Every upload received, oldest first (content as its size and text).
    server.AddControl("control/uploads", [](Control& control) {
        nlohmann::json list = nlohmann::json::array();
        for (const DeviceUpload& upload : Controls(control.server.world()).uploads)
            list.push_back({ { "id", upload.deviceId }, { "filename", upload.filename },
                { "is_app", upload.isApp }, { "size", upload.content.size() } });
        control.Json({ { "uploads", list } });
    });
    // The input a device's screen got, oldest first: ?id=...
    server.AddControl("control/inputs", [](Control& control) {
        const auto screen = Controls(control.server.world()).FindScreen(control.Query("id"));
        control.Json({ { "inputs", screen ? screen->InputLog() : std::vector<std::string> {} } });
    });
    // What a device's screen shows: ?id=... -> page, app name, scroll.
    server.AddControl("control/screen", [](Control& control) {
        const auto screen = Controls(control.server.world()).FindScreen(control.Query("id"));
        if (!screen) {
            control.Json({ { "page", "" } });
            return;
        }
        const ScreenSnapshot s = screen->Take();
        static const char* const kPages[] = { "home", "app", "recents" };
        const bool open = s.app >= 0 && s.app < static_cast<int>(s.apps->size());
        control.Json({ { "page", kPages[static_cast<int>(s.page)] },
            { "app", open ? (*s.apps)[static_cast<std::size_t>(s.app)].name : "" },
            { "home_scroll", s.homeScroll }, { "typed", s.typed }, { "apps", s.apps->size() } });
    });
    // The play stream: its port, how many players are connected and how
    // many hellos it has read.
    server.AddControl("control/stream", [](Control& control) {
        PlayStreamServer& stream = Controls(control.server.world()).Stream();
        control.Json({ { "port", stream.port() }, { "connections", stream.Connections() },
            { "hellos", stream.Hellos() } });
    });
    // Cuts the streams of a device as a broken network would: ?id=...
    server.AddControl("control/drop_streams", [](Control& control) {
        Controls(control.server.world()).Stream().DropStreams(control.Query("id"));
        control.Json({ { "ok", true } });
    });
    // How long a reboot or reset keeps a device busy: ?ms=...
    server.AddControl("control/busy_time", [](Control& control) {
        const std::string ms = control.Query("ms");
        if (ms.empty() || ms.size() > 7
            || !std::all_of(ms.begin(), ms.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            control.Json({ { "error", "ms must be a number" } }, 400);
            return;
        }
        Controls(control.server.world()).busyTime = std::chrono::milliseconds(std::stoll(ms));
        control.Json({ { "ok", true } });
    });
}

} // namespace service
