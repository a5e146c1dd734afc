#include "ui/UILazyContainer.h"

#include <utility>

#include "ui/UIManager.h"

namespace DuiLib {

CLazyContainerUI::CLazyContainerUI(Builder builder)
    : m_builder(std::move(builder))
{
}

std::wstring CLazyContainerUI::GetClass() const
{
    return L"LazyContainerUI";
}

void CLazyContainerUI::Build()
{
    if (m_built)
        return;
    // Marked first: a builder that searches its own container must not
    // start a second build.
    m_built = true;
    Builder builder = std::move(m_builder);
    m_builder = nullptr;
    if (builder)
        builder(*this);
    // Placed at once, so a build during a paint is painted in that paint.
    if (!m_rcItem.IsEmpty())
        CContainerUI::SetPos(m_rcItem);
}

CControlUI* CLazyContainerUI::FindSubControl(const std::wstring& name)
{
    if (name == m_sName)
        return this;
    Build();
    return FindInSubtree(name);
}

CControlUI* CLazyContainerUI::FindControlAt(POINT pt)
{
    if (m_bVisible && m_rcItem.Contains(pt))
        Build();
    return CContainerUI::FindControlAt(pt);
}

void CLazyContainerUI::DoPaint(CRenderContext& ctx, const RECT& rcPaint)
{
    if (!m_built && m_bVisible && m_rcItem.Intersects(rcPaint)) {
        // This paint lays the new children out and paints them: a repaint
        // of the whole window asked by their arrival would paint them again.
        CPaintManagerUI* manager = m_pManager;
        if (manager)
            manager->HoldUpdates();
        Build();
        if (manager) {
            manager->ReleaseUpdates();
            // Of a tile only partly in this paint, the rest is painted next.
            manager->InvalidateBeyondPaint(m_rcItem);
        }
    }
    CContainerUI::DoPaint(ctx, rcPaint);
}

} // namespace DuiLib
