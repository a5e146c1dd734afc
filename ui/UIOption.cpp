#include "ui/UIOption.h"

#include "ui/UIAccessible.h"
#include "ui/UIManager.h"
#include "ui/internal/Attr.h"
#include "ui/internal/Render.h"

namespace DuiLib {

COptionUI::~COptionUI()
{
    if (m_pManager && !m_sGroupName.empty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

std::wstring COptionUI::GetClass() const
{
    return L"OptionUI";
}

void COptionUI::SetGroup(const std::wstring& group)
{
    if (group == m_sGroupName)
        return;
    if (m_pManager && !m_sGroupName.empty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    m_sGroupName = group;
    if (m_pManager && !m_sGroupName.empty()) {
        m_pManager->AddOptionGroup(m_sGroupName, this);
        if (m_bSelected)
            Selected(true, false);
    }
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init)
{
    if (m_pManager && m_pManager != manager && !m_sGroupName.empty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    bool joined = manager && manager != m_pManager;
    CButtonUI::SetManager(manager, parent, init);
    if (joined && !m_sGroupName.empty()) {
        m_pManager->AddOptionGroup(m_sGroupName, this);
        // A selected option joining its group deselects the others silently.
        if (m_bSelected) {
            for (CControlUI* c : m_pManager->GetOptionGroup(m_sGroupName)) {
                auto* other = dynamic_cast<COptionUI*>(c);
                if (other && other != this && other->m_bSelected) {
                    other->m_bSelected = false;
                    other->Invalidate();
                }
            }
        }
    }
}

void COptionUI::Selected(bool selected, bool triggerEvent)
{
    if (m_bSelected == selected)
        return;
    m_bSelected = selected;
    Invalidate();
    if (!m_pManager)
        return;
    AnnounceChecked(this);
    if (!m_sGroupName.empty()) {
        if (!m_bSelected)
            return; // only the newly selected member of a group reports
        for (CControlUI* c : m_pManager->GetOptionGroup(m_sGroupName)) {
            auto* other = dynamic_cast<COptionUI*>(c);
            if (other && other != this)
                other->Selected(false, triggerEvent);
        }
    }
    if (triggerEvent)
        m_pManager->SendNotify(this, DUI_MSGTYPE_SELECTCHANGED);
}

bool COptionUI::Activate()
{
    if (!CButtonUI::Activate())
        return false;
    if (!m_sGroupName.empty())
        Selected(true);
    else
        Selected(!m_bSelected);
    return true;
}

void COptionUI::SetSelectedImage(const std::wstring& image)
{
    m_sSelectedImage = image;
    Invalidate();
}

void COptionUI::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    bool b = false;
    std::uint32_t color = 0;
    if (name == L"group") {
        SetGroup(value);
    } else if (name == L"selected") {
        if (attr::ParseBool(value, b))
            Selected(b, false);
        else
            attr::LogBadValue(GetClass(), name, value);
    } else if (name == L"selectedimage") {
        SetSelectedImage(value);
    } else if (name == L"selectedhotimage") {
        m_sSelectedHotImage = value;
    } else if (name == L"selectedpushedimage") {
        m_sSelectedPushedImage = value;
    } else if (name == L"selectedforeimage") {
        m_sSelectedForeImage = value;
    } else if (name == L"selectedtextcolor") {
        if (attr::ParseColor(value, color))
            m_dwSelectedTextColor = color;
        else
            attr::LogBadValue(GetClass(), name, value);
    } else if (name == L"selectedbkcolor") {
        if (attr::ParseColor(value, color))
            m_dwSelectedBkColor = color;
        else
            attr::LogBadValue(GetClass(), name, value);
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void COptionUI::PaintBkColor(CRenderContext& ctx)
{
    if (m_bSelected && m_dwSelectedBkColor) {
        render::FillRect(ctx.painter, m_rcItem, m_dwSelectedBkColor, m_cxyBorderRound);
        return;
    }
    CButtonUI::PaintBkColor(ctx);
}

void COptionUI::PaintStatusImage(CRenderContext& ctx)
{
    if (m_bSelected) {
        bool drawn = false;
        if (!m_bEnabled)
            drawn = DrawImage(ctx, m_sDisabledImage);
        else if (m_bPushed)
            drawn = DrawImage(ctx, m_sSelectedPushedImage) || DrawImage(ctx, m_sSelectedHotImage);
        else if (m_bHot)
            drawn = DrawImage(ctx, m_sSelectedHotImage);
        if (!drawn)
            drawn = DrawImage(ctx, m_sSelectedImage);
        if (!drawn)
            DrawImage(ctx, m_sNormalImage);
        if (!DrawImage(ctx, m_sSelectedForeImage))
            DrawImage(ctx, m_sForeImage);
        return;
    }
    CButtonUI::PaintStatusImage(ctx);
}

std::uint32_t COptionUI::CurrentTextColor() const
{
    if (m_bEnabled && m_bSelected && m_dwSelectedTextColor)
        return m_dwSelectedTextColor;
    return CButtonUI::CurrentTextColor();
}

} // namespace DuiLib
