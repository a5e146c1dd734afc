#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "service/World.h"

namespace service {

struct UserRecord {
    std::int64_t id = 0;
    std::string name;      // UTF-8
    std::string password;  // as the client sends it (no hashing on either side)
    std::string phone;
    std::string nickname;  // UTF-8
};

// The users of the world.
class AccountState : public DomainState {
public:
    void Seed(WorldKind kind) override;

    // By user name or phone number, as the login accepts either.
    const UserRecord* FindByLogin(const std::string& login) const;
    const UserRecord* FindById(std::int64_t id) const;
    UserRecord& Add(UserRecord user);

    std::vector<UserRecord> users;
};

AccountState& Accounts(World& world);

}  // namespace service
