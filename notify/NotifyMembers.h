#pragma once

// The notification feature's part of the ClientManager: three lists (user
// notices, system messages, activity news), each with its last read id,
// highest id and unread flag. Filled in by the notification feature.
struct NotifyMembers {
};
