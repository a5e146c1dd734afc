#include "service/account/AccountRoutes.h"

#include <nlohmann/json.hpp>

#include "service/Server.h"
#include "service/account/AccountState.h"
#include "service/account/ProfileRoutes.h"
#include "service/account/SignupRoutes.h"

namespace service {
namespace {

    void Login(Call& call)
    {
        const UserRecord* user = Accounts(call.world).FindByLogin(call.Param("username"));
        if (user == nullptr || user->password != call.Param("password")) {
            call.Fail("用户名或密码错误");
            return;
        }
        std::string token = call.world.sessions().Open(user->id);
        call.AddHeader("Set-Cookie", std::string(Sessions::kCookieName) + "=" + token + "; Path=/; HttpOnly");
        call.Succeed({ { "code", 0 }, { "msg", "登录成功" },
            { "data", { { "id", user->id }, { "username", user->name } } } });
    }

    void Logout(Call& call)
    {
        call.world.sessions().Close(call.sessionToken);
        call.AddHeader("Set-Cookie", std::string(Sessions::kCookieName) + "=; Path=/; Max-Age=0");
        call.Succeed({ { "code", 0 }, { "msg", "退出成功" } });
    }

} // namespace

void RegisterAccountRoutes(Server& server)
{
    server.world().Add<AccountState>();
    server.AddCall("/api/qtz/front_user_login", {}, Login);
    server.AddCall("/api/qtz/front_user_logout", { .session = true }, Logout);
    RegisterSignupRoutes(server);
    RegisterProfileRoutes(server);
}

} // namespace service
