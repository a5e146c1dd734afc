#pragma once

namespace DuiLib {

class CListUI;

// What a row of a list is.
class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual CListUI* GetOwner() const = 0;
    virtual void SetOwner(CListUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    // Marks the row; Select(true) through the owner reports "itemselect".
    virtual bool Select(bool select = true) = 0;
};

} // namespace DuiLib
