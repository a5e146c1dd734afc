#include "service/account/SignupRoutes.h"

#include <nlohmann/json.hpp>
#include <regex>

#include "service/Envelope.h"
#include "service/Server.h"
#include "service/account/AccountState.h"
#include "service/account/AvatarPicture.h"

namespace service {
namespace {

    // Characters of a UTF-8 text (code points).
    std::size_t Characters(const std::string& utf8)
    {
        std::size_t count = 0;
        for (const char c : utf8) {
            if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
                ++count;
        }
        return count;
    }

    bool IsPhone(const std::string& text)
    {
        static const std::regex kPhone("^1[3-9][0-9][0-9]{8}$");
        return std::regex_match(text, kPhone);
    }

    // GET ?type=unique&rule=user,name|user,phone&value=...
    void Verify(Call& call)
    {
        const std::string rule = call.Param("rule");
        const std::string value = call.Param("value");
        if (call.Param("type") != "unique" || (rule != "user,name" && rule != "user,phone")) {
            call.Fail("参数错误");
            return;
        }
        if (value.empty()) {
            call.Fail("值不能为空");
            return;
        }
        const AccountState& accounts = Accounts(call.world);
        if (rule == "user,name" && accounts.FindByName(value) != nullptr) {
            call.Fail("用户名已存在");
            return;
        }
        if (rule == "user,phone" && accounts.FindByPhone(value) != nullptr) {
            call.Fail("手机号已注册");
            return;
        }
        call.Succeed({ { "value", value } });
    }

    void SendMessage(Call& call)
    {
        AccountState& accounts = Accounts(call.world);
        const std::string phone = call.Param("phone");
        if (!IsPhone(phone)) {
            call.Fail("手机号码格式错误");
            return;
        }
        if (accounts.FindByPhone(phone) != nullptr) {
            call.Fail("手机号已注册");
            return;
        }
        // Six digits that differ from call to call but repeat from a reset on.
        ++accounts.smsSerial;
        const unsigned number = (accounts.smsSerial * 7919u + 104729u) % 900000u + 100000u;
        accounts.smsCodes[phone] = std::to_string(number);
        call.Succeed({ { "msg", UnicodeEscaped("验证码已发送，请注意查收") } });
    }

    void Register(Call& call)
    {
        AccountState& accounts = Accounts(call.world);
        const std::string name = call.Param("username");
        const std::string password = call.Param("password");
        const std::string phone = call.Param("phone");
        const std::string code = call.Param("code");
        if (Characters(name) < 4 || Characters(name) > 15) {
            call.Fail("用户名长度为4～15");
            return;
        }
        if (password.size() < 6) {
            call.Fail("密码长度必须大于6位");
            return;
        }
        if (accounts.FindByName(name) != nullptr) {
            call.Fail("用户名已存在");
            return;
        }
        if (!IsPhone(phone) || accounts.FindByPhone(phone) != nullptr) {
            call.Fail("手机号码错误或已注册");
            return;
        }
        auto sent = accounts.smsCodes.find(phone);
        if (sent == accounts.smsCodes.end() || code.empty() || sent->second != code) {
            call.Fail("短信验证码错误");
            return;
        }
        std::string invitedBy;
        if (call.form.Has("invite_code")) {
            invitedBy = call.Param("invite_code");
            if (accounts.FindByInviteCode(invitedBy) == nullptr) {
                call.Fail("邀请码不存在");
                return;
            }
        }
        accounts.smsCodes.erase(sent);
        UserRecord user;
        user.name = name;
        user.password = password;
        user.phone = phone;
        user.nickname = name;
        user.invitedBy = invitedBy;
        user.avatar = SeedAvatar(0x8A96AA);
        UserRecord& added = accounts.Add(std::move(user));
        char invite[16];
        std::snprintf(invite, sizeof invite, "KV%06lld", static_cast<long long>(added.id));
        added.inviteCode = invite;
        call.Succeed({ { "msg", UnicodeEscaped("注册成功") }, { "id", std::to_string(added.id) } });
    }

} // namespace

void RegisterSignupRoutes(Server& server)
{
    server.AddCall("/api/index/verify", {}, Verify);
    server.AddCall("/api/qtz/front_user_register_send_message", {}, SendMessage);
    server.AddCall("/api/qtz/front_user_register", {}, Register);
    // The code the last message to a phone "sent".
    server.AddControl("account/sms_code", [](Control& control) {
        const AccountState& accounts = Accounts(control.server.world());
        auto it = accounts.smsCodes.find(control.Query("phone"));
        control.Json({ { "code", it == accounts.smsCodes.end() ? "" : it->second } });
    });
}

} // namespace service
