#pragma once

#include "ui/UILabel.h"

namespace DuiLib {

// A button: "click" when the mouse is released over it (or Enter/Space while
// it has the focus). State images: normal, hot, pushed, focused, disabled.
// default="true" makes it the button Enter activates from anywhere else.
class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    std::wstring GetClass() const override;
    bool IsFocusable() const override { return true; }
    bool Activate() override;
    void SetEnabled(bool enabled = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    const std::wstring& GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(const std::wstring& image);
    const std::wstring& GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const std::wstring& image);
    const std::wstring& GetPushedImage() const { return m_sPushedImage; }
    void SetPushedImage(const std::wstring& image);
    const std::wstring& GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(const std::wstring& image);
    void SetHotTextColor(std::uint32_t argb) { m_dwHotTextColor = argb; }
    void SetPushedTextColor(std::uint32_t argb) { m_dwPushedTextColor = argb; }
    bool IsDefaultButton() const { return m_bDefault; }
    bool IsHot() const { return m_bHot; }
    bool IsPushed() const { return m_bPushed; }

protected:
    void PaintBkColor(CRenderContext& ctx) override;
    void PaintStatusImage(CRenderContext& ctx) override;
    // The focused button shows a ring, unless the skin gives it a focused
    // image or a focus border of its own.
    void PaintBorder(CRenderContext& ctx) override;
    std::uint32_t CurrentTextColor() const override;

    std::wstring m_sNormalImage;
    std::wstring m_sHotImage;
    std::wstring m_sPushedImage;
    std::wstring m_sFocusedImage;
    std::wstring m_sHotForeImage;
    std::wstring m_sPushedForeImage;
    std::uint32_t m_dwHotTextColor = 0;
    std::uint32_t m_dwPushedTextColor = 0;
    std::uint32_t m_dwFocusedTextColor = 0;
    std::uint32_t m_dwHotBkColor = 0;
    std::uint32_t m_dwPushedBkColor = 0;
    bool m_bHot = false;
    bool m_bPushed = false; // mouse down over it and still over it
    bool m_bPressing = false; // mouse down on it, wherever it is now
    bool m_bDefault = false;
};

} // namespace DuiLib
