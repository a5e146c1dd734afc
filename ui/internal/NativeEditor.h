#pragma once

// The Qt editing widget placed over an edit control while it has the focus.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <string>

#include "ui/UIRect.h"

class QLineEdit;
class QPlainTextEdit;

namespace DuiLib {

class CEditUI;

class CNativeEditor : public QObject {
public:
    CNativeEditor(CEditUI* owner, QWidget* host, bool multiLine);
    ~CNativeEditor() override;

    QWidget* Widget() const;
    void SetGeometry(const RECT& rc);
    // From code: the owner hears nothing of it.
    void SetText(const std::wstring& text);
    void Configure(bool password, bool readOnly, int maxChar, const std::wstring& tip, std::uint32_t tipColor,
        std::uint32_t textColor, const QFont& font, unsigned style);
    void SelectAll();
    void Focus();
    // Hides the widget and forgets the owner; the object is then deleted later.
    void Detach();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnEdited();

    CEditUI* m_owner;
    QPointer<QLineEdit> m_line;
    QPointer<QPlainTextEdit> m_plain;
    bool m_fromCode = false;
    int m_maxChar = 0;
};

} // namespace DuiLib
