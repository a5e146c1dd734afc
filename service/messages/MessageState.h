#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "service/World.h"

namespace service {

// One message as the list answers it (texts UTF-8).
struct ServiceMessage {
    std::string id; // decimal text, as the list sends it
    std::string category;
    std::string title;
    std::string description;
    std::string publishAt; // seconds since 1970, decimal text
};

// One user's messages of one type (1 system messages, 2 user notices,
// 3 activity news), in list order, and the read mark the user's client set.
struct UserMessages {
    std::vector<ServiceMessage> messages;
    std::int64_t lastReadId = 0;
    // A page index the list refuses (0: none), for tests of a lost page.
    std::int64_t failPage = 0;
};

// The messages of every user.
class MessageState : public DomainState {
public:
    static constexpr int kTypeCount = 3;

    void Seed(WorldKind kind) override;

    // Null for a type outside 1..3.
    UserMessages* Box(std::int64_t userId, int type);

    std::map<std::int64_t, std::array<UserMessages, kTypeCount>> users;
};

MessageState& Messages(World& world);

} // namespace service
