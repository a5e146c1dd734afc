#pragma once

#include <string>

#include "ui/UILabel.h"

namespace DuiLib {

// A text that reports clicks on its links: "link" with wParam = the link's
// index and lParam = a const std::wstring* to its target (valid during the
// notification). Multi-line by default.
class CTextUI : public CLabelUI {
public:
    CTextUI();
    std::wstring GetClass() const override;
    int GetLinkCount() const;
    std::wstring GetLinkContent(int index) const;
    // The link at pt after the last paint, or -1.
    int LinkAt(POINT pt) const;
    void DoEvent(TEventUI& event) override;
};

} // namespace DuiLib
