#pragma once

#include <functional>

#include "ui/UIContainer.h"

namespace DuiLib {

// A container whose children are made the first time they are needed: when
// it is painted, hit by the mouse or searched by name itself (a search that
// starts at an ancestor does not build it). A long list of heavy
// elements (a thousand device tiles) then costs its placeholders and the few
// elements in view, not every element's whole tree.
//
// Until it is built the container has no children: GetCount is 0 and
// ForEach sees the container alone. Code that changes an element's parts
// finds them through FindSubControl, which builds first, so nothing set on
// a part is lost; code that only wants to update what is already on screen
// can ask IsBuilt and leave the rest to the builder, which reads the state
// when it runs.
class CLazyContainerUI : public CContainerUI {
public:
    // Adds the children to the container it is given. Runs once.
    using Builder = std::function<void(CLazyContainerUI&)>;

    explicit CLazyContainerUI(Builder builder);

    std::wstring GetClass() const override;
    bool IsBuilt() const { return m_built; }
    // Runs the builder now (once) and lays the new children out.
    void Build();

    CControlUI* FindSubControl(const std::wstring& name) override;
    CControlUI* FindControlAt(POINT pt) override;
    void DoPaint(CRenderContext& ctx, const RECT& rcPaint) override;

private:
    Builder m_builder;
    bool m_built = false;
};

} // namespace DuiLib
