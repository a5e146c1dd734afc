#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "service/World.h"

namespace service {

struct UserRecord {
    std::int64_t id = 0;
    std::string name; // UTF-8
    std::string password; // as the client sends it (no hashing on either side)
    std::string phone;
    std::string nickname; // UTF-8
    std::string inviteCode;
    std::string invitedBy; // the invite code given at registration, if any
    std::string money = "0"; // the points balance as the service writes it
    std::string avatar; // picture bytes (PNG as seeded, or what set_info received)
    int avatarVersion = 1; // part of the picture's path, so a new one is fetched anew
};

// The users of the world.
class AccountState : public DomainState {
public:
    void Seed(WorldKind kind) override;

    // By user name or phone number, as the login accepts either.
    const UserRecord* FindByLogin(const std::string& login) const;
    const UserRecord* FindById(std::int64_t id) const;
    UserRecord* FindById(std::int64_t id);
    const UserRecord* FindByName(const std::string& name) const;
    const UserRecord* FindByPhone(const std::string& phone) const;
    const UserRecord* FindByInviteCode(const std::string& code) const;
    UserRecord& Add(UserRecord user);

    std::vector<UserRecord> users;
    // The SMS codes sent, by phone number (readable through /__test/).
    std::map<std::string, std::string> smsCodes;
    unsigned smsSerial = 0;
};

AccountState& Accounts(World& world);

} // namespace service
