#include "market/DatabaseStep.h"

void DatabaseStep::End(bool opened)
{
    std::lock_guard lock(m_mutex);
    m_done = true;
    m_opened = opened;
    m_ended.notify_all();
}

bool DatabaseStep::WaitOpen(std::chrono::milliseconds limit) const
{
    std::unique_lock lock(m_mutex);
    m_ended.wait_for(lock, limit, [&] { return m_done; });
    return m_done && m_opened;
}
