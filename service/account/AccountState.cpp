#include "service/account/AccountState.h"

#include "service/account/AvatarPicture.h"

namespace service {

namespace {

    // The seed pictures are painted once, on whichever thread seeds first
    // (a thread-safe static): a reset comes on any of the server's threads, and
    // Qt's painting keeps shared state of its own.
    const std::string& DemoAvatar()
    {
        static const std::string picture = SeedAvatar(0x2F7CF6);
        return picture;
    }

    const std::string& ZhangAvatar()
    {
        static const std::string picture = SeedAvatar(0xF5A623);
        return picture;
    }

} // namespace

void AccountState::Seed(WorldKind kind)
{
    users.clear();
    smsCodes.clear();
    smsSerial = 0;
    if (kind != WorldKind::Demo)
        return;
    // 42 is the id the client's examples use for the signed-in user.
    UserRecord demo { 42, "demo", "korvana123", "13800000042", "演示用户", "KV000042", "", "0", "" };
    demo.money = "100.50";
    demo.avatar = DemoAvatar();
    users.push_back(std::move(demo));
    UserRecord zhang { 43, "张三", "korvana123", "13800000043", "张三", "KV000043", "", "0", "" };
    zhang.money = "0";
    zhang.avatar = ZhangAvatar();
    users.push_back(std::move(zhang));
}

const UserRecord* AccountState::FindByLogin(const std::string& login) const
{
    if (login.empty())
        return nullptr;
    for (const UserRecord& user : users) {
        if (user.name == login || user.phone == login)
            return &user;
    }
    return nullptr;
}

UserRecord* AccountState::FindById(std::int64_t id)
{
    for (UserRecord& user : users) {
        if (user.id == id)
            return &user;
    }
    return nullptr;
}

const UserRecord* AccountState::FindByName(const std::string& name) const
{
    for (const UserRecord& user : users) {
        if (user.name == name)
            return &user;
    }
    return nullptr;
}

const UserRecord* AccountState::FindByPhone(const std::string& phone) const
{
    for (const UserRecord& user : users) {
        if (user.phone == phone)
            return &user;
    }
    return nullptr;
}

const UserRecord* AccountState::FindByInviteCode(const std::string& code) const
{
    for (const UserRecord& user : users) {
        if (!code.empty() && user.inviteCode == code)
            return &user;
    }
    return nullptr;
}

const UserRecord* AccountState::FindById(std::int64_t id) const
{
    for (const UserRecord& user : users) {
        if (user.id == id)
            return &user;
    }
    return nullptr;
}

UserRecord& AccountState::Add(UserRecord user)
{
    if (user.id == 0) {
        std::int64_t next = 1;
        for (const UserRecord& u : users)
            next = std::max(next, u.id + 1);
        user.id = next;
    }
    users.push_back(std::move(user));
    return users.back();
}

AccountState& Accounts(World& world)
{
    return world.Get<AccountState>();
}

} // namespace service
