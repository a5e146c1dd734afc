#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One service message as the notification page shows it.
struct MessageRecord {
    std::int32_t id = 0;
    std::wstring category; // kept, not shown
    std::wstring title;
    std::wstring description;
    std::wstring date; // "%Y-%m-%d" of the publishing time, in UTC
};

// One message category: the messages of the last load in page order, the
// service's read mark, the largest id seen since the client started (it only
// grows), and whether something newer than the read mark exists.
struct MessageCategory {
    std::vector<MessageRecord> list;
    std::int32_t lastReadId = 0;
    std::int32_t highestId = 0;
    bool unread = false;
};

// The request value ("type") of each category, and back. The window's
// category index (0 user notices, 1 system messages, 2 activity news) is the
// order of the options on the page, not the order of the types.
inline constexpr int kMessageTypeSystem = 1;
inline constexpr int kMessageTypeUser = 2;
inline constexpr int kMessageTypeActivity = 3;
inline constexpr int kMessageTypeCount = 3;
int MessageTypeOfCategory(int category);

// The notification feature's part of the ClientManager. Only the window
// thread reads or writes it: the poll works on a copy of its own and hands
// the result over with UM_MESSAGES, so a category list is never rebuilt
// while a poll rewrites it.
struct NotifyMembers {
    // Indexed by type - 1.
    std::array<MessageCategory, kMessageTypeCount> categories;
    // Per type - 1: the id up to which this user marked the category read in
    // this run, so a poll answered before the mark reached the service does
    // not bring the dot back.
    std::array<std::int32_t, kMessageTypeCount> markedReadIds {};

    MessageCategory& OfType(int type) { return categories[static_cast<std::size_t>(type - 1)]; }
    const MessageCategory& OfType(int type) const { return categories[static_cast<std::size_t>(type - 1)]; }
};
