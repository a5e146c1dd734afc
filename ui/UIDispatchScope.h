#pragma once

namespace DuiLib {

class CPaintManagerUI;

// Destroys controls removed while an event or notification is being handled
// only once that handling is over, so handlers may remove their own sender.
class CDispatchScope {
public:
    explicit CDispatchScope(CPaintManagerUI* manager);
    ~CDispatchScope();
    CDispatchScope(const CDispatchScope&) = delete;
    CDispatchScope& operator=(const CDispatchScope&) = delete;

private:
    CPaintManagerUI* m_manager;
};

} // namespace DuiLib
