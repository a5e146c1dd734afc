#include "service/Faults.h"

namespace service {

void FaultTable::Set(const std::string& path, const Fault& fault)
{
    std::lock_guard lock(m_mutex);
    m_faults[path] = fault;
}

std::optional<Fault> FaultTable::Take(const std::string& path, const std::string& body)
{
    std::lock_guard lock(m_mutex);
    auto it = m_faults.find(path);
    if (it == m_faults.end() || (it->second.forBody && *it->second.forBody != body))
        return std::nullopt;
    Fault fault = it->second;
    if (it->second.times > 0 && --it->second.times == 0)
        m_faults.erase(it);
    return fault;
}

void FaultTable::Clear()
{
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

} // namespace service
