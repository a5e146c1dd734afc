#pragma once

#include "ui/UILabel.h"

namespace DuiLib {

// A progress bar: the fore image (or forecolor) clipped to the value.
class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    std::wstring GetClass() const override;
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int value);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int value);
    int GetValue() const { return m_nValue; }
    // Clamped to [min, max].
    void SetValue(int value);
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

protected:
    void PaintStatusImage(CRenderContext& ctx) override;
    // The part of the bar the value covers.
    RECT ValueRect() const;

    bool m_bHorizontal = true;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    std::uint32_t m_dwForeColor = 0;
};

} // namespace DuiLib
