#pragma once

// What other pages may ask of the notification page.
class INotifyActions {
public:
    virtual ~INotifyActions() = default;
    // Loads the three message categories (the 60-second poll calls it too).
    virtual void StartMessagePoll() = 0;
    // 0 user notices, 1 system messages, 2 activity news.
    virtual void SwitchCategory(int category) = 0;
};
