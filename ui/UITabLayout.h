#pragma once

#include <memory>
#include <string>

#include "ui/UIContainer.h"

namespace DuiLib {

// Shows one child at a time. SelectItem sends "tabselect" (wParam the new
// page, lParam the old one) when the shown page changes.
class CTabLayoutUI : public CContainerUI {
public:
    std::wstring GetClass() const override;
    CControlUI* Add(std::unique_ptr<CControlUI> control) override;
    CControlUI* AddAt(std::unique_ptr<CControlUI> control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;
    int GetCurSel() const { return m_iCurSel; }
    bool SelectItem(int index, bool triggerEvent = true);
    bool SelectItem(CControlUI* control, bool triggerEvent = true);
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetPos(const RECT& rc) override;

protected:
    void ShowOnly(int index);
    int m_iCurSel = -1;
    int m_iWanted = -1; // selectedid given before the pages exist
};

} // namespace DuiLib
