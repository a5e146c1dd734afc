#pragma once

#include "app/TaskKind.h"
#include "platform/WindowMessage.h"

class IShell;

namespace DuiLib {
class CListUI;
class COptionUI;
class CPaintManagerUI;
class CTabLayoutUI;
} // namespace DuiLib

// The record page of the purchase page: the point movements or the orders,
// read page after page and shown in ListOfOrder.
class RecordList {
public:
    explicit RecordList(IShell& shell);

    bool Bind(DuiLib::CPaintManagerUI& paint);

    // Loads the point movements (true) or the orders, in the wait state.
    void Load(bool points);
    // 账单 on the goods page: the point movements, their option chosen.
    void ShowPointRecords();
    // UM_RECORDS: the records read become the list, shown on its page.
    void OnRecords(WPARAM code);
    // Sign-out: no queued load, no records, an empty list.
    void Clear();

private:
    IShell& m_shell;
    DuiLib::CTabLayoutUI* m_tabOfBuy = nullptr;
    DuiLib::CTabLayoutUI* m_tabOfRecord = nullptr;
    DuiLib::CListUI* m_listOfOrder = nullptr;
    DuiLib::COptionUI* m_pointRecords = nullptr;
    // Both lists fill the same members: a load asked for while one runs
    // waits and runs once after it.
    TaskKind m_tasks { TaskKind::Policy::RunOnceAfter };
};
