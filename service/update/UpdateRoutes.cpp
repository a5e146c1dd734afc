#include "service/update/UpdateRoutes.h"

#include <stdexcept>

#include "service/Server.h"
#include "service/update/UpdateState.h"

namespace service {
namespace {

    // The version this service's own client build carries.
    constexpr const char* kCurrentVersion = "1015";

    void Upgrade(Call& call)
    {
        const UpdateState& state = Updates(call.world);
        if (state.offer) {
            call.Succeed(*state.offer);
            return;
        }
        call.Succeed({ { "upgrade", false }, { "force", 0 }, { "is_file", 0 }, { "url", "" },
            { "version", kCurrentVersion } });
    }

    void Installer(Call& call)
    {
        call.reply.status = 200;
        call.reply.contentType = "application/octet-stream";
        call.reply.body = Updates(call.world).installer;
    }

} // namespace

void RegisterUpdateRoutes(Server& server)
{
    server.world().Add<UpdateState>();
    server.AddCall("/api/qtz/front_app_upgrade", {}, Upgrade);
    server.AddCall(kInstallerPath, {}, Installer);

    // Body: the upgrade payload to answer from now on, as it is, e.g.
    // {"upgrade": 1, "force": 0, "is_file": 1, "url": "http://.../download/updata.exe",
    // "version": "1016"}; an empty body withdraws the offer.
    server.AddControl("update/offer", [](Control& c) {
        UpdateState& state = Updates(c.server.world());
        if (c.request.body.empty()) {
            state.offer.reset();
        } else {
            nlohmann::ordered_json offer = nlohmann::ordered_json::parse(c.request.body);
            if (!offer.is_object())
                throw std::invalid_argument("the offer is a JSON object");
            state.offer = std::move(offer);
        }
        c.Json({ { "offered", state.offer.has_value() } });
    });
    // Body: the installer's bytes (empty: the stand-in again).
    server.AddControl("update/installer", [](Control& c) {
        UpdateState& state = Updates(c.server.world());
        state.installer = c.request.body.empty() ? StandInInstaller() : c.request.body;
        c.Json({ { "size", state.installer.size() } });
    });
}

} // namespace service
