#include "service/account/ProfileRoutes.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "service/Base64.h"
#include "service/Server.h"
#include "service/account/AccountState.h"

namespace service {
namespace {

    std::string AvatarUrl(const UserRecord& user)
    {
        return std::string(kAvatarPath) + "?id=" + std::to_string(user.id)
            + "&v=" + std::to_string(user.avatarVersion);
    }

    // "id" and the balance are written as texts, "qtz_point" as a number.
    nlohmann::ordered_json Info(const UserRecord& user)
    {
        return { { "id", std::to_string(user.id) }, { "username", user.name }, { "nickname", user.nickname },
            { "avatar", AvatarUrl(user) }, { "qtz_money", user.money }, { "qtz_point", 1 },
            { "invite_code", user.inviteCode } };
    }

    void GetInfo(Call& call)
    {
        const UserRecord* user = Accounts(call.world).FindById(call.userId);
        if (user == nullptr) {
            call.Fail("用户不存在");
            return;
        }
        call.Succeed(Info(*user));
    }

    void Avatar(Call& call)
    {
        const UserRecord* user = nullptr;
        try {
            user = Accounts(call.world).FindById(std::stoll(call.Param("id")));
        } catch (const std::exception&) {
        }
        if (user == nullptr || user->avatar.empty()) {
            call.reply.status = 404;
            call.reply.contentType = "text/plain";
            call.reply.body = "no such picture";
            return;
        }
        call.reply.status = 200;
        call.reply.contentType = "image/png";
        call.reply.body = user->avatar;
    }

    // nickname, avatar (Base64, line breaks allowed, empty: keep the picture),
    // comment; in UTF-8.
    void SetInfo(Call& call)
    {
        UserRecord* user = Accounts(call.world).FindById(call.userId);
        if (user == nullptr) {
            call.Fail("用户不存在");
            return;
        }
        const std::string nickname = call.Param("nickname");
        if (nickname.empty()) {
            call.Fail("昵称不能为空");
            return;
        }
        const std::string avatar = call.Param("avatar");
        std::optional<std::string> picture;
        if (!avatar.empty()) {
            picture = Base64Decode(avatar);
            if (!picture || picture->empty()) {
                call.Fail("头像格式错误");
                return;
            }
        }
        user->nickname = nickname;
        if (picture) {
            user->avatar = *picture;
            ++user->avatarVersion;
        }
        call.Succeed(nlohmann::ordered_json::object());
    }

    void ResetPassword(Call& call)
    {
        UserRecord* user = Accounts(call.world).FindById(call.userId);
        if (user == nullptr || user->password != call.Param("password")) {
            call.Fail("原密码错误");
            return;
        }
        const std::string next = call.Param("new_password");
        if (next.size() < 6) {
            call.Fail("新密码长度必须大于6位");
            return;
        }
        user->password = next;
        call.Succeed(nlohmann::ordered_json::object());
    }

} // namespace

void RegisterProfileRoutes(Server& server)
{
    server.AddCall("/api/qtz/front_user_get_info", { .session = true }, GetInfo);
    server.AddCall(kAvatarPath, {}, Avatar);
    server.AddCall("/api/qtz/front_user_set_info", { .session = true, .charset = Charset::Utf8 }, SetInfo);
    server.AddCall("/api/qtz/front_user_reset_password", { .session = true }, ResetPassword);
}

} // namespace service
