#include "ui/internal/NativeEditor.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "ui/UIDispatchScope.h"
#include "ui/UIEdit.h"
#include "ui/UIManager.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/Render.h"

namespace DuiLib {

CNativeEditor::CNativeEditor(CEditUI* owner, QWidget* host, bool multiLine)
    : m_owner(owner)
{
    if (multiLine) {
        m_plain = new QPlainTextEdit(host);
        m_plain->setFrameShape(QFrame::NoFrame);
        m_plain->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        m_plain->setAttribute(Qt::WA_TranslucentBackground, true);
        m_plain->viewport()->setAutoFillBackground(false);
        connect(m_plain, &QPlainTextEdit::textChanged, this, [this] {
            if (!m_fromCode)
                OnEdited();
        });
        m_plain->installEventFilter(this);
    } else {
        m_line = new QLineEdit(host);
        m_line->setFrame(false);
        m_line->setAttribute(Qt::WA_TranslucentBackground, true);
        connect(m_line, &QLineEdit::textEdited, this, [this](const QString&) { OnEdited(); });
        m_line->installEventFilter(this);
    }
    Widget()->setAutoFillBackground(false);
    Widget()->setStyleSheet(QStringLiteral("background: transparent; border: none;"));
}

CNativeEditor::~CNativeEditor()
{
    if (QWidget* w = Widget()) {
        w->removeEventFilter(this);
        w->hide();
        // Deleted later: this may run inside the widget's own key handler.
        w->deleteLater();
    }
}

QWidget* CNativeEditor::Widget() const
{
    if (m_line)
        return m_line;
    return m_plain;
}

void CNativeEditor::SetGeometry(const RECT& rc)
{
    if (QWidget* w = Widget())
        w->setGeometry(render::ToQRect(rc));
}

void CNativeEditor::SetText(const std::wstring& text)
{
    m_fromCode = true;
    QString s = QString::fromStdWString(text);
    if (m_line && m_line->text() != s)
        m_line->setText(s);
    if (m_plain && m_plain->toPlainText() != s) {
        m_plain->setPlainText(s);
        m_plain->moveCursor(QTextCursor::End);
    }
    m_fromCode = false;
}

void CNativeEditor::Configure(bool password, bool readOnly, int maxChar, const std::wstring& tip,
    std::uint32_t tipColor, std::uint32_t textColor, const QFont& font, unsigned style)
{
    m_maxChar = maxChar;
    QWidget* w = Widget();
    if (!w)
        return;
    w->setFont(font);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Text, render::ToQColor(textColor));
    pal.setColor(QPalette::PlaceholderText, render::ToQColor(tipColor));
    pal.setColor(QPalette::Base, Qt::transparent);
    w->setPalette(pal);
    if (m_line) {
        m_line->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
        m_line->setReadOnly(readOnly);
        m_line->setMaxLength(maxChar > 0 ? maxChar : 32767);
        m_line->setPlaceholderText(QString::fromStdWString(tip));
        Qt::Alignment a = Qt::AlignVCenter;
        a |= (style & DT_CENTER) ? Qt::AlignHCenter : (style & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
        m_line->setAlignment(a);
        m_line->setStyleSheet(QStringLiteral("background: transparent; border: none; color: %1;")
                                  .arg(render::ToQColor(textColor).name(QColor::HexArgb)));
    }
    if (m_plain) {
        m_plain->setReadOnly(readOnly);
        m_plain->setPlaceholderText(QString::fromStdWString(tip));
        m_plain->setStyleSheet(QStringLiteral("background: transparent; border: none; color: %1;")
                                   .arg(render::ToQColor(textColor).name(QColor::HexArgb)));
    }
}

void CNativeEditor::Detach()
{
    m_owner = nullptr;
    if (QWidget* w = Widget()) {
        w->removeEventFilter(this);
        w->disconnect(this);
        w->hide();
    }
}

void CNativeEditor::SelectAll()
{
    if (m_line)
        m_line->selectAll();
    if (m_plain)
        m_plain->selectAll();
}

void CNativeEditor::Focus()
{
    if (QWidget* w = Widget()) {
        w->show();
        w->raise();
        w->setFocus(Qt::OtherFocusReason);
        if (m_line)
            m_line->end(false);
    }
}

void CNativeEditor::OnEdited()
{
    if (!m_owner)
        return;
    std::wstring text;
    if (m_line) {
        text = m_line->text().toStdWString();
    } else if (m_plain) {
        QString s = m_plain->toPlainText();
        if (m_maxChar > 0 && s.size() > m_maxChar) {
            m_fromCode = true;
            s.truncate(m_maxChar);
            m_plain->setPlainText(s);
            m_plain->moveCursor(QTextCursor::End);
            m_fromCode = false;
        }
        text = s.toStdWString();
    }
    m_owner->OnUserEdit(text);
}

bool CNativeEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || watched != Widget())
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    CPaintManagerUI* pm = m_owner ? m_owner->GetManager() : nullptr;
    if (!pm)
        return false;
    const bool multi = m_plain != nullptr;
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && !(multi && m_owner->IsWantTab())) {
        pm->GetImpl().Key(
            UIKEY_TAB, key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier), false);
        return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        && !(multi && m_owner->IsWantReturn())) {
        CDispatchScope scope(pm);
        pm->SendNotify(m_owner, DUI_MSGTYPE_RETURN);
        pm->GetImpl().ActivateDefaultButton();
        return true;
    }
    return false;
}

} // namespace DuiLib
