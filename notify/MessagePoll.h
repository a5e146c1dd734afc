#pragma once

#include <array>
#include <cstdint>

#include "app/Task.h"
#include "notify/NotifyMembers.h"

// A "pages" answer above this is taken as this: a service that reports a
// million pages must not keep the poll requesting for hours (100 pages are
// 1000 messages per category).
inline constexpr int kMaxMessagePages = 100;

// What the window hands to one poll, and what the poll hands back in
// UM_MESSAGES kMessagesReady (lParam points to it during the call).
struct MessagePoll {
    // In: the categories' highest ids so far (they only grow) and the
    // service's read marks of the last load (kept when an answer lacks one).
    std::array<std::int32_t, kMessageTypeCount> highestIds {};
    std::array<std::int32_t, kMessageTypeCount> lastReadIds {};
    // In: the window's count of read marks started when the poll began; the
    // window keeps a dot off only for a category opened after that.
    unsigned marksBefore = 0;
    // In: the window's sign-in generation; a result of an earlier sign-in is
    // dropped.
    unsigned generation = 0;
    // Out: the three categories as loaded.
    std::array<MessageCategory, kMessageTypeCount> categories;
};

// Reads all pages of one category into `block`: its list is emptied first,
// then page 1, 2, ... as long as an answered page reported more pages.
void LoadMessages(int type, MessageCategory& block);

// The poll task: loads the three categories and sends UM_MESSAGES
// kMessagesReady with the poll.
void LoadAllMessages(ClientManager& owner, MessagePoll& poll);

// The read mark to send.
struct ReadMark {
    int type = 0;
    std::int32_t id = 0;
};

// Tells the service that a category is read up to an id; the outcome is only
// logged. True when the service took it.
bool SendReadMark(const ReadMark& mark);
// The task form of SendReadMark; reports nothing to the window.
void MarkMessagesRead(ClientManager& owner, ReadMark& mark);
