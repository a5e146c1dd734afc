#include "ui/UIDispatchScope.h"

#include "ui/UIManager.h"
#include "ui/internal/ManagerImpl.h"

namespace DuiLib {

CDispatchScope::CDispatchScope(CPaintManagerUI* manager)
    : m_manager(manager)
{
    if (m_manager)
        ++m_manager->GetImpl().dispatchDepth;
}

CDispatchScope::~CDispatchScope()
{
    if (!m_manager)
        return;
    auto& d = m_manager->GetImpl();
    if (--d.dispatchDepth == 0)
        d.retirement.DispatchEnded();
}

} // namespace DuiLib
