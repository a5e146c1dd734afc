#include "ui/UIEdit.h"

#include <QWidget>

#include "ui/UIManager.h"
#include "ui/internal/Attr.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/NativeEditor.h"
#include "ui/internal/Render.h"

namespace DuiLib {

CEditUI::CEditUI()
{
    m_uTextStyle = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
}

CEditUI::~CEditUI()
{
    CloseEditor();
}

std::wstring CEditUI::GetClass() const
{
    return L"EditUI";
}

void CEditUI::SetText(const std::wstring& text)
{
    std::wstring t = text;
    if (m_nMaxChar > 0 && static_cast<int>(t.size()) > m_nMaxChar)
        t.resize(static_cast<std::size_t>(m_nMaxChar));
    if (!m_bMultiLine) {
        for (auto& c : t)
            if (c == L'\r' || c == L'\n')
                c = L' ';
    }
    m_sText = t;
    if (m_editor)
        m_editor->SetText(t);
    Invalidate();
}

void CEditUI::SetEnabled(bool enabled)
{
    if (!enabled)
        CloseEditor();
    CLabelUI::SetEnabled(enabled);
}

void CEditUI::SetVisible(bool visible)
{
    if (!visible)
        CloseEditor();
    CLabelUI::SetVisible(visible);
}

void CEditUI::SetPasswordMode(bool on)
{
    m_bPassword = on;
    Invalidate();
}

void CEditUI::SetReadOnly(bool on)
{
    m_bReadOnly = on;
    Invalidate();
}

void CEditUI::SetMultiLine(bool on)
{
    m_bMultiLine = on;
    m_uTextStyle = on ? ((m_uTextStyle & ~(DT_SINGLELINE | DT_VCENTER)) | DT_WORDBREAK | DT_TOP)
                      : ((m_uTextStyle & ~(DT_WORDBREAK | DT_TOP)) | DT_SINGLELINE | DT_VCENTER);
    Invalidate();
}

void CEditUI::SetMaxChar(int count)
{
    m_nMaxChar = std::max(0, count);
}

void CEditUI::SetTipValue(const std::wstring& text)
{
    m_sTipValue = text;
    Invalidate();
}

void CEditUI::SetTipValueColor(std::uint32_t argb)
{
    m_dwTipValueColor = argb;
    Invalidate();
}

void CEditUI::SetSelAll()
{
    if (m_editor)
        m_editor->SelectAll();
}

void CEditUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    bool b = false;
    int i = 0;
    std::uint32_t color = 0;
    auto boolAttr = [&](auto setter) {
        if (attr::ParseBool(value, b))
            setter(b);
        else
            attr::LogBadValue(GetClass(), name, value);
    };
    if (name == L"password")
        boolAttr([this](bool v) { SetPasswordMode(v); });
    else if (name == L"readonly")
        boolAttr([this](bool v) { SetReadOnly(v); });
    else if (name == L"multiline")
        boolAttr([this](bool v) { SetMultiLine(v); });
    else if (name == L"wantreturn")
        boolAttr([this](bool v) { SetWantReturn(v); });
    else if (name == L"wanttab")
        boolAttr([this](bool v) { SetWantTab(v); });
    else if (name == L"maxchar") {
        if (attr::ParseInt(value, i) && i >= 0)
            SetMaxChar(i);
        else
            attr::LogBadValue(GetClass(), name, value);
    } else if (name == L"tipvalue")
        SetTipValue(value);
    else if (name == L"tipvaluecolor") {
        if (attr::ParseColor(value, color))
            SetTipValueColor(color);
        else
            attr::LogBadValue(GetClass(), name, value);
    } else if (name == L"nativebkcolor" || name == L"numberonly" || name == L"autovscroll"
        || name == L"autohscroll" || name == L"wantctrlreturn" || name == L"transparent"
        || name == L"vscrollbar" || name == L"hscrollbar") {
        // Accepted; the native editor decides these itself.
    } else
        CLabelUI::SetAttribute(name, value);
}

void CEditUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    if (manager != m_pManager)
        CloseEditor();
    CLabelUI::SetManager(manager, parent, init);
}

void CEditUI::SetPos(const RECT& rc)
{
    CLabelUI::SetPos(rc);
    if (m_editor)
        m_editor->SetGeometry(TextRect());
}

void CEditUI::Move(int dx, int dy)
{
    CLabelUI::Move(dx, dy);
    if (m_editor)
        m_editor->SetGeometry(TextRect());
}

void CEditUI::OpenEditor()
{
    if (m_editor || !m_pManager || !m_bEnabled)
        return;
    QWidget* host = m_pManager->GetImpl().host;
    if (!host)
        return;
    m_editor = std::make_unique<CNativeEditor>(this, host, m_bMultiLine);
    std::uint32_t color = m_dwTextColor ? m_dwTextColor : m_pManager->GetDefaultFontColor();
    m_editor->Configure(m_bPassword, m_bReadOnly, m_nMaxChar, m_sTipValue, m_dwTipValueColor, color,
        render::FontOf(m_pManager, m_iFont), m_uTextStyle);
    m_editor->SetText(m_sText);
    m_editor->SetGeometry(TextRect());
    m_editor->Focus();
    Invalidate();
}

void CEditUI::CloseEditor()
{
    if (!m_editor)
        return;
    CNativeEditor* editor = m_editor.release();
    editor->Detach();
    editor->deleteLater();
    if (m_pManager && m_pManager->GetImpl().host) {
        QWidget* host = m_pManager->GetImpl().host;
        if (!host->hasFocus())
            host->setFocus(Qt::OtherFocusReason);
    }
    Invalidate();
}

void* CEditUI::GetNativeEditor() const
{
    return m_editor ? m_editor->Widget() : nullptr;
}

void CEditUI::OnUserEdit(const std::wstring& text)
{
    if (text == m_sText)
        return;
    m_sText = text;
    if ((m_uEventMask & ENM_CHANGE) && m_pManager)
        m_pManager->SendNotify(this, DUI_MSGTYPE_TEXTCHANGED);
}

void CEditUI::DoEvent(TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
        CLabelUI::DoEvent(event);
        OpenEditor();
        return;
    case UIEVENT_KILLFOCUS:
        CloseEditor();
        CLabelUI::DoEvent(event);
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CEditUI::PaintText(CRenderContext& ctx)
{
    if (m_editor)
        return; // the native editor draws while editing
    if (m_sText.empty()) {
        if (!m_sTipValue.empty())
            render::DrawText(ctx.painter, ctx.manager, TextRect(), m_sTipValue, m_iFont, m_dwTipValueColor,
                m_uTextStyle & ~DT_END_ELLIPSIS);
        return;
    }
    std::wstring shown = m_bPassword ? std::wstring(m_sText.size(), L'\u25CF') : m_sText;
    render::DrawText(ctx.painter, ctx.manager, TextRect(), shown, m_iFont, CurrentTextColor(), m_uTextStyle);
}

} // namespace DuiLib
