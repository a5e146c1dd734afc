#pragma once

#include <memory>
#include <string>

#include "ui/UIControl.h"

namespace DuiLib {

class CPaintManagerUI;
class CTileLayoutUI;
class IDialogBuilderCallback;

// Builds a control tree from a skin file of the package.
//
// The root element of a file only wraps: its first control child is what
// Create returns (a window file's root control; a template's element). A
// Window root also gives the manager its attributes and its Font, Default
// and Image entries. Include source="X.xml" inserts X's controls in place.
// Defaults apply to a control before its own attributes; without a manager
// the defaults of the last window file read are used. An unknown element, a
// malformed attribute or a missing include is logged and skipped.
class CDialogBuilder {
public:
    std::unique_ptr<CControlUI> Create(const std::wstring& file, CPaintManagerUI* manager = nullptr,
        IDialogBuilderCallback* callback = nullptr);
    std::unique_ptr<CControlUI> CreateFromXml(const std::string& utf8, CPaintManagerUI* manager = nullptr,
        IDialogBuilderCallback* callback = nullptr);
    // Why the last Create gave nothing.
    const std::string& GetLastError() const { return m_error; }

private:
    std::string m_error;
};

// A control of a markup class name ("Button", "TileLayout", ...), or nullptr.
std::unique_ptr<CControlUI> CreateControlOfClass(const std::wstring& className);

// The element of a template file (the first control under its wrapping
// Container), or nullptr when the file is missing or holds none; no message.
// The file is parsed once and the parse reused.
std::unique_ptr<CControlUI> BuildElement(
    const std::wstring& templateFile, CPaintManagerUI* manager = nullptr);

// Gives a tile layout the fixed height its count elements need:
// columns = width / item width; with at least one element and one column,
// rows = ceil(count / columns) and height = rows * (item height + child
// padding). Otherwise the height is left as it is. The width is the
// laid-out width, or the fixed width before the first layout.
void SizeTileToContent(CTileLayoutUI* tile, int count);

} // namespace DuiLib
