#include "service/apps/AppRoutes.h"

#include <nlohmann/json.hpp>

#include <charconv>

#include "service/Server.h"
#include "service/apps/AppState.h"
#include "service/devices/DeviceState.h"

namespace service {
namespace {

    std::optional<std::int64_t> Number(std::string_view text)
    {
        std::int64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || text.empty())
            return std::nullopt;
        return value;
    }

    // Every id names one of the user's devices.
    bool OwnDevices(Call& call, const std::vector<std::string>& ids)
    {
        for (const std::string& id : ids) {
            if (!Devices(call.world).Find(call.userId, id))
                return false;
        }
        return true;
    }

    // "a,b,c," into its pieces; the trailing comma gives no empty piece.
    std::vector<std::string> IdList(const std::string& text)
    {
        std::vector<std::string> ids;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t comma = text.find(',', start);
            if (comma == std::string::npos)
                comma = text.size();
            if (comma > start)
                ids.push_back(text.substr(start, comma - start));
            start = comma + 1;
        }
        return ids;
    }

    void Categories(Call& call)
    {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const CategoryRecord& category : Apps(call.world).categories)
            list.push_back({ { "id", category.id }, { "pId", category.parent }, { "name", category.name } });
        call.Succeed(list);
    }

    void AppList(Call& call)
    {
        std::int64_t size = Number(call.Param("page_size")).value_or(20);
        size = std::clamp<std::int64_t>(size, 1, 1000);
        const std::int64_t index = std::max<std::int64_t>(1, Number(call.Param("page_index")).value_or(1));
        const std::vector<const CatalogueApp*> listing = Apps(call.world).ListingFor(call.userId);
        const auto total = static_cast<std::int64_t>(listing.size());
        const std::int64_t pages = (total + size - 1) / size;
        nlohmann::ordered_json data = nlohmann::ordered_json::array();
        for (std::int64_t i = (index - 1) * size; i < std::min(total, index * size); ++i) {
            const CatalogueApp& app = *listing[static_cast<std::size_t>(i)];
            data.push_back(
                { { "id", std::to_string(app.id) }, { "source_type", std::to_string(app.sourceType) },
                    { "source", std::to_string(app.source) }, { "name", app.name },
                    { "version", app.version }, { "category", std::to_string(app.category) } });
        }
        call.Succeed({ { "page_index", index }, { "pages", pages }, { "data", data } });
    }

    void Install(Call& call)
    {
        const std::vector<std::string> devices = IdList(call.Param("id"));
        const std::vector<std::string> appIds = IdList(call.Param("app_id"));
        if (devices.empty() || appIds.empty()) {
            call.Fail("请选择设备和应用");
            return;
        }
        if (!OwnDevices(call, devices)) {
            call.Fail("设备不存在");
            return;
        }
        InstallTask task;
        task.userId = call.userId;
        task.devices = devices;
        AppState& state = Apps(call.world);
        for (const std::string& text : appIds) {
            const std::optional<std::int64_t> id = Number(text);
            if (!id || !state.Find(*id)) {
                call.Fail("应用不存在");
                return;
            }
            task.apps.push_back(*id);
        }
        state.installs.push_back(std::move(task));
        call.Succeed({ { "code", 0 }, { "msg", "安装任务已提交" } });
    }

    void Delete(Call& call)
    {
        AppState& state = Apps(call.world);
        const std::vector<std::string> ids = IdList(call.Param("id"));
        std::size_t removed = 0;
        for (const std::string& text : ids) {
            const std::optional<std::int64_t> id = Number(text);
            auto it = std::find_if(state.apps.begin(), state.apps.end(), [&](const CatalogueApp& app) {
                return id && app.id == *id && app.sourceType == 2 && app.source == call.userId;
            });
            if (it != state.apps.end()) {
                state.apps.erase(it);
                ++removed;
            }
        }
        if (removed == 0) {
            call.Fail("没有可删除的应用");
            return;
        }
        call.Succeed({ { "code", 0 }, { "msg", "删除成功" } });
    }

    void IconRoute(Call& call, std::int64_t id)
    {
        const std::string* icon = Apps(call.world).Icon(id);
        if (!icon) {
            call.reply.status = 404;
            call.reply.contentType = "text/plain";
            call.reply.body = "no such icon";
            return;
        }
        call.reply.contentType = "image/png";
        call.reply.body = *icon;
    }

    void CatalogueControl(Control& control)
    {
        const nlohmann::json setup = nlohmann::json::parse(control.request.body);
        AppState& state = Apps(control.server.world());
        state.categories.clear();
        state.apps.clear();
        state.icons.clear();
        for (const nlohmann::json& item : setup.value("categories", nlohmann::json::array()))
            state.categories.push_back({ item.at("id").get<std::int64_t>(),
                item.value("pId", std::int64_t { 0 }), item.value("name", std::string()) });
        const nlohmann::json apps = setup.value("apps", nlohmann::json::array());
        std::int64_t updated = static_cast<std::int64_t>(apps.size());
        for (const nlohmann::json& item : apps) {
            CatalogueApp app;
            app.id = item.at("id").get<std::int64_t>();
            app.sourceType = item.value("source_type", 1);
            app.source = item.value("source", std::int64_t { -1 });
            app.name = item.value("name", std::string());
            app.version = item.value("version", std::string());
            app.category = item.value("category", std::int64_t { 0 });
            app.updated = updated--;
            state.apps.push_back(std::move(app));
        }
        control.Json({ { "ok", true }, { "apps", state.apps.size() } });
    }

    void StressControl(Control& control)
    {
        const int count = std::clamp(static_cast<int>(Number(control.Query("count")).value_or(10000)), 0,
            static_cast<int>(kMaxMarketAppId));
        Apps(control.server.world()).SeedMany(count);
        control.Json({ { "ok", true }, { "apps", count } });
    }

    void InstallsControl(Control& control)
    {
        nlohmann::json list = nlohmann::json::array();
        for (const InstallTask& task : Apps(control.server.world()).installs)
            list.push_back(
                { { "user_id", task.userId }, { "devices", task.devices }, { "apps", task.apps } });
        control.Json({ { "installs", list } });
    }

} // namespace

void AcceptAppUpload(Call& call)
{
    const FormField* content = call.form.Find("content");
    if (!content || !content->isFile || content->value.empty()) {
        call.Fail("上传的文件为空");
        return;
    }
    const std::vector<std::string> devices = IdList(call.Param("id"));
    if (devices.empty() || !OwnDevices(call, devices)) {
        call.Fail("设备不存在");
        return;
    }
    std::string name = call.Param("filename");
    if (name.empty())
        name = content->filename;
    if (name.empty()) {
        call.Fail("缺少文件名");
        return;
    }
    AppState& state = Apps(call.world);
    std::int64_t own = 0;
    for (const CatalogueApp& app : state.apps)
        own += app.sourceType == 2 && app.source == call.userId ? 1 : 0;
    if (own >= 30) {
        call.Fail("应用市场最多上传30个应用！");
        return;
    }
    const CatalogueApp& app = state.AddUpload(call.userId, name, content->value);
    call.Succeed({ { "code", 0 }, { "msg", "上传成功" }, { "id", app.id } });
}

void RegisterAppRoutes(Server& server)
{
    server.world().Add<AppState>();
    const RouteOptions session { .session = true, .charset = Charset::Cp936 };
    server.AddCall("/api/qtz/front_app_category", session, Categories);
    server.AddCall("/api/qtz/front_app_list", session, AppList);
    server.AddCall("/api/qtz/front_app_install", session, Install);
    server.AddCall("/api/qtz/front_app_del", session, Delete);
    // The routes know exact paths only: one per icon id.
    auto addIcon = [&server](std::int64_t id) {
        server.AddCall(
            "/app/" + std::to_string(id) + "/icon.png", {}, [id](Call& call) { IconRoute(call, id); });
    };
    for (std::int64_t id = 1; id <= kMaxMarketAppId; ++id)
        addIcon(id);
    for (std::int64_t id = kFirstUploadedAppId; id <= kMaxUploadedAppId; ++id)
        addIcon(id);
    server.AddControl("apps/catalogue", CatalogueControl);
    server.AddControl("apps/stress", StressControl);
    server.AddControl("apps/installs", InstallsControl);
}

} // namespace service
