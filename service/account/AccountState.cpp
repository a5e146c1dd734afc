#include "service/account/AccountState.h"

namespace service {

void AccountState::Seed(WorldKind kind)
{
    users.clear();
    if (kind != WorldKind::Demo)
        return;
    // 42 is the id the client's examples use for the signed-in user.
    users.push_back({42, "demo", "korvana123", "13800000042", "演示用户"});
    users.push_back({43, "张三", "korvana123", "13800000043", "张三"});
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

}  // namespace service
