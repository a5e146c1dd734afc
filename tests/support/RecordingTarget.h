#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/WindowMessage.h"

namespace korvana::test {

// One message as a window would have received it.
struct RecordedMessage {
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool sent = false; // Send, not Post
    std::wstring text; // lParam's text, copied during the call, where it carries one
};

// A window stand-in for task tests: records every message in arrival order.
// Which messages carry a text in lParam is the test's to say (carriesText);
// the text is copied while the call lasts, as a window must.
class RecordingTarget : public IMessageTarget {
public:
    using TextRule = std::function<bool(UINT msg, WPARAM wParam)>;
    explicit RecordingTarget(TextRule carriesText = nullptr);

    LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Post(UINT msg, WPARAM wParam, LPARAM lParam) override;

    std::vector<RecordedMessage> Messages() const;
    // Waits until at least count messages have arrived; false after limitMs.
    bool WaitForCount(std::size_t count, int limitMs = 5000) const;

private:
    void Record(RecordedMessage message);

    TextRule m_carriesText;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    std::vector<RecordedMessage> m_messages;
};

} // namespace korvana::test
