#include "ui/UIText.h"

#include "ui/UIManager.h"
#include "ui/internal/LabelLayout.h"
#include "ui/internal/ManagerImpl.h"

namespace DuiLib {

CTextUI::CTextUI()
{
    m_uTextStyle = DT_WORDBREAK;
}

std::wstring CTextUI::GetClass() const
{
    return L"TextUI";
}

int CTextUI::GetLinkCount() const
{
    return m_layout ? static_cast<int>(m_layout->layout.links.size()) : 0;
}

std::wstring CTextUI::GetLinkContent(int index) const
{
    if (!m_layout || index < 0 || index >= static_cast<int>(m_layout->layout.links.size()))
        return {};
    return m_layout->layout.links[static_cast<std::size_t>(index)];
}

int CTextUI::LinkAt(POINT pt) const
{
    if (!m_layout)
        return -1;
    const auto& l = m_layout->layout;
    for (std::size_t i = 0; i < l.linkRects.size(); ++i)
        if (l.linkRects[i].Contains(pt))
            return l.linkOfRect[i];
    return -1;
}

void CTextUI::DoEvent(TEventUI& event)
{
    if (m_bShowHtml && m_bEnabled) {
        if (event.Type == UIEVENT_MOUSEMOVE || event.Type == UIEVENT_MOUSELEAVE) {
            int link = event.Type == UIEVENT_MOUSEMOVE ? LinkAt(event.ptMouse) : -1;
            if (link != m_hoverLink) {
                m_hoverLink = link;
                Invalidate();
                if (m_pManager && m_pManager->GetImpl().host) {
                    if (link >= 0)
                        m_pManager->GetImpl().host->setCursor(Qt::PointingHandCursor);
                    else
                        m_pManager->GetImpl().host->unsetCursor();
                }
            }
        } else if (event.Type == UIEVENT_BUTTONUP) {
            int link = LinkAt(event.ptMouse);
            if (link >= 0 && m_pManager) {
                std::wstring target = GetLinkContent(link);
                m_pManager->SendNotify(
                    this, DUI_MSGTYPE_LINK, static_cast<WPARAM>(link), reinterpret_cast<LPARAM>(&target));
                return;
            }
        }
    }
    CLabelUI::DoEvent(event);
}

} // namespace DuiLib
