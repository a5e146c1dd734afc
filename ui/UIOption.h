#pragma once

#include <cstdint>
#include <string>

#include "ui/UIButton.h"

namespace DuiLib {

// An option: one selected per group. Selecting it reports "selectchanged"
// once (deselected group members report nothing); selecting the selected
// one reports nothing. "click" comes before the change.
class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;
    std::wstring GetClass() const override;
    const std::wstring& GetGroup() const { return m_sGroupName; }
    void SetGroup(const std::wstring& group);
    bool IsSelected() const { return m_bSelected; }
    virtual void Selected(bool selected, bool triggerEvent = true);
    bool Activate() override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    const std::wstring& GetSelectedImage() const { return m_sSelectedImage; }
    void SetSelectedImage(const std::wstring& image);
    void SetSelectedTextColor(std::uint32_t argb) { m_dwSelectedTextColor = argb; }

protected:
    void PaintBkColor(CRenderContext& ctx) override;
    void PaintStatusImage(CRenderContext& ctx) override;
    std::uint32_t CurrentTextColor() const override;

    bool m_bSelected = false;
    std::wstring m_sGroupName;
    std::wstring m_sSelectedImage;
    std::wstring m_sSelectedHotImage;
    std::wstring m_sSelectedPushedImage;
    std::wstring m_sSelectedForeImage;
    std::uint32_t m_dwSelectedTextColor = 0;
    std::uint32_t m_dwSelectedBkColor = 0;
};

} // namespace DuiLib
