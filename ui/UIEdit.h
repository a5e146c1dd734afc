#pragma once

#include <cstdint>
#include <memory>

#include "ui/UILabel.h"

namespace DuiLib {

class CNativeEditor;

// A text field. While it has the focus a native editing widget lies over it
// (input methods, selection, clipboard); otherwise the engine draws the text
// (bullets in password mode, the tip text when empty). Setting the text
// from code never reports "textchanged"; user edits report it when the
// event mask holds ENM_CHANGE (plain edits start with it, rich edits not).
class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;
    std::wstring GetClass() const override;
    bool IsFocusable() const override { return true; }

    void SetText(const std::wstring& text) override;
    void SetEnabled(bool enabled = true) override;
    void SetVisible(bool visible = true) override;
    bool IsPasswordMode() const { return m_bPassword; }
    void SetPasswordMode(bool on = true);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool on = true);
    bool IsMultiLine() const { return m_bMultiLine; }
    void SetMultiLine(bool on = true);
    int GetMaxChar() const { return m_nMaxChar; }
    void SetMaxChar(int count);
    const std::wstring& GetTipValue() const { return m_sTipValue; }
    void SetTipValue(const std::wstring& text);
    void SetTipValueColor(std::uint32_t argb);
    bool IsWantReturn() const { return m_bWantReturn; }
    void SetWantReturn(bool on = true) { m_bWantReturn = on; }
    bool IsWantTab() const { return m_bWantTab; }
    void SetWantTab(bool on = true) { m_bWantTab = on; }
    std::uint32_t GetEventMask() const { return m_uEventMask; }
    void SetEventMask(std::uint32_t mask) { m_uEventMask = mask; }
    // Selects all text in the editor (when editing).
    void SetSelAll();

    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetPos(const RECT& rc) override;
    void Move(int dx, int dy) override;
    void DoEvent(TEventUI& event) override;

    // For the engine and tests: the native widget while editing (a QWidget*).
    void* GetNativeEditor() const;
    // Called by the native editor on a user edit.
    void OnUserEdit(const std::wstring& text);

protected:
    void PaintText(CRenderContext& ctx) override;
    void OpenEditor();
    void CloseEditor();

    std::unique_ptr<CNativeEditor> m_editor;
    bool m_bPassword = false;
    bool m_bReadOnly = false;
    bool m_bMultiLine = false;
    bool m_bWantReturn = false;
    bool m_bWantTab = false;
    int m_nMaxChar = 0; // 0 = no limit
    std::wstring m_sTipValue;
    std::uint32_t m_dwTipValueColor = 0xFFBAC0C5;
    std::uint32_t m_uEventMask = ENM_CHANGE;
};

} // namespace DuiLib
