#include "service/RequestLog.h"

namespace service {

void RequestLog::Add(const HttpRequest& request)
{
    std::lock_guard lock(m_mutex);
    if (m_entries.size() >= kMaxEntries)
        m_entries.erase(m_entries.begin(), m_entries.begin() + static_cast<std::ptrdiff_t>(kMaxEntries / 2));
    m_entries.push_back(Entry { m_next++, request });
}

std::vector<RequestLog::Entry> RequestLog::Entries() const
{
    std::lock_guard lock(m_mutex);
    return m_entries;
}

void RequestLog::Clear()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

} // namespace service
