#include "tests/support/RecordingTarget.h"

#include <chrono>

namespace korvana::test {

RecordingTarget::RecordingTarget(TextRule carriesText)
    : m_carriesText(std::move(carriesText))
{
}

LRESULT RecordingTarget::Send(UINT msg, WPARAM wParam, LPARAM lParam)
{
    RecordedMessage m { msg, wParam, lParam, true, {} };
    if (m_carriesText && m_carriesText(msg, wParam) && lParam)
        m.text = reinterpret_cast<const wchar_t*>(lParam);
    Record(std::move(m));
    return 0;
}

void RecordingTarget::Post(UINT msg, WPARAM wParam, LPARAM lParam)
{
    Record(RecordedMessage { msg, wParam, lParam, false, {} });
}

void RecordingTarget::Record(RecordedMessage message)
{
    std::lock_guard lock(m_mutex);
    m_messages.push_back(std::move(message));
    m_arrived.notify_all();
}

std::vector<RecordedMessage> RecordingTarget::Messages() const
{
    std::lock_guard lock(m_mutex);
    return m_messages;
}

bool RecordingTarget::WaitForCount(std::size_t count, int limitMs) const
{
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_for(
        lock, std::chrono::milliseconds(limitMs), [&] { return m_messages.size() >= count; });
}

} // namespace korvana::test
