#include "ui/UIAutomation.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>
#include <QWheelEvent>
#include <QWidget>

#include "ui/UIControl.h"
#include "ui/UIEdit.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UIWindow.h"

namespace DuiLib {

namespace {

    QWidget* HostOf(WindowImplBase& window)
    {
        return static_cast<QWidget*>(window.GetNativeWindow());
    }

} // namespace

CUiDriver::CUiDriver(WindowImplBase& window)
    : m_window(window)
    , m_pm(window.GetPaintManager())
{
    m_observer = m_pm.AddNotifyObserver([this](const TNotifyUI& msg) {
        NotifyRecord r;
        r.type = msg.sType;
        r.wParam = msg.wParam;
        r.lParam = msg.lParam;
        r.control = msg.pSender;
        if (msg.pSender) {
            r.sender = msg.pSender->GetName();
            r.userData = msg.pSender->GetUserData();
            r.tag = msg.pSender->GetTag();
            if (auto* option = dynamic_cast<COptionUI*>(msg.pSender))
                r.selected = option->IsSelected();
        }
        if (msg.sType == DUI_MSGTYPE_LINK && msg.lParam)
            r.link = *reinterpret_cast<const std::wstring*>(msg.lParam);
        m_records.push_back(std::move(r));
    });
}

CUiDriver::~CUiDriver()
{
    m_pm.RemoveNotifyObserver(m_observer);
}

void CUiDriver::Show()
{
    m_window.ShowWindow(true);
    m_pm.UpdateLayout();
    ProcessEvents(20);
}

CControlUI* CUiDriver::Find(const std::wstring& name) const
{
    return m_pm.FindControl(name);
}

POINT CUiDriver::CentreOf(const CControlUI* control) const
{
    const RECT& rc = control->GetPos();
    return POINT { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
}

bool CUiDriver::SendMouse(int type, POINT pt, bool right)
{
    QWidget* host = HostOf(m_window);
    if (!host)
        return false;
    m_pm.UpdateLayout();
    QPoint local(pt.x, pt.y);
    QWidget* target = host->childAt(local);
    if (!target || !target->isVisible())
        target = host;
    QPoint at = target == host ? local : target->mapFrom(host, local);
    Qt::MouseButton button
        = type == QEvent::MouseMove ? Qt::NoButton : (right ? Qt::RightButton : Qt::LeftButton);
    Qt::MouseButtons buttons = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
        ? Qt::MouseButtons(button)
        : Qt::MouseButtons(Qt::NoButton);
    QMouseEvent event(static_cast<QEvent::Type>(type), QPointF(at), QPointF(target->mapToGlobal(at)), button,
        buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
    return true;
}

bool CUiDriver::Click(const std::wstring& name)
{
    return Click(Find(name));
}

bool CUiDriver::Click(CControlUI* control)
{
    if (!control)
        return false;
    m_pm.UpdateLayout();
    if (!control->IsVisibleInTree())
        return false;
    POINT c = CentreOf(control);
    SIZE client = m_pm.GetClientSize();
    if (c.x < 0 || c.y < 0 || c.x >= client.cx || c.y >= client.cy)
        return false;
    return ClickAt(c);
}

bool CUiDriver::ClickAt(POINT pt)
{
    return MoveTo(pt) && SendMouse(QEvent::MouseButtonPress, pt, false)
        && SendMouse(QEvent::MouseButtonRelease, pt, false);
}

bool CUiDriver::RightClickAt(POINT pt)
{
    return MoveTo(pt) && SendMouse(QEvent::MouseButtonPress, pt, true)
        && SendMouse(QEvent::MouseButtonRelease, pt, true);
}

bool CUiDriver::DoubleClickAt(POINT pt)
{
    return ClickAt(pt) && SendMouse(QEvent::MouseButtonDblClick, pt, false)
        && SendMouse(QEvent::MouseButtonRelease, pt, false);
}

bool CUiDriver::MouseDown(POINT pt)
{
    return SendMouse(QEvent::MouseButtonPress, pt, false);
}

bool CUiDriver::MouseUp(POINT pt)
{
    return SendMouse(QEvent::MouseButtonRelease, pt, false);
}

bool CUiDriver::MoveTo(POINT pt)
{
    return SendMouse(QEvent::MouseMove, pt, false);
}

bool CUiDriver::Wheel(const std::wstring& name, int notches)
{
    CControlUI* c = Find(name);
    QWidget* host = HostOf(m_window);
    if (!c || !host)
        return false;
    m_pm.UpdateLayout();
    POINT pt = CentreOf(c);
    QPointF at(pt.x, pt.y);
    QWheelEvent event(at, host->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(host, &event);
    return true;
}

bool CUiDriver::TypeText(const std::wstring& name, const std::wstring& text)
{
    auto* edit = dynamic_cast<CEditUI*>(Find(name));
    if (!edit || !Click(edit))
        return false;
    auto* editor = static_cast<QWidget*>(edit->GetNativeEditor());
    if (!editor)
        return false;
    for (wchar_t ch : text) {
        QString s = QString::fromStdWString(std::wstring(1, ch));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, s);
        QApplication::sendEvent(editor, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, s);
        QApplication::sendEvent(editor, &release);
    }
    return true;
}

void CUiDriver::PressKey(int key, bool shift)
{
    QWidget* target = HostOf(m_window);
    if (auto* edit = dynamic_cast<CEditUI*>(m_pm.GetFocus()))
        if (auto* editor = static_cast<QWidget*>(edit->GetNativeEditor()))
            target = editor;
    if (!target)
        return;
    int qtKey = Qt::Key_unknown;
    QString text;
    switch (key) {
    case UIKEY_TAB:
        qtKey = shift ? Qt::Key_Backtab : Qt::Key_Tab;
        break;
    case UIKEY_RETURN:
        qtKey = Qt::Key_Return;
        text = QStringLiteral("\r");
        break;
    case UIKEY_ESCAPE:
        qtKey = Qt::Key_Escape;
        break;
    case UIKEY_SPACE:
        qtKey = Qt::Key_Space;
        text = QStringLiteral(" ");
        break;
    case UIKEY_UP:
        qtKey = Qt::Key_Up;
        break;
    case UIKEY_DOWN:
        qtKey = Qt::Key_Down;
        break;
    default:
        break;
    }
    Qt::KeyboardModifiers mods = shift ? Qt::ShiftModifier : Qt::NoModifier;
    QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
    QApplication::sendEvent(target, &press);
}

void CUiDriver::ProcessEvents(int ms)
{
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (timer.elapsed() < ms)
            QThread::msleep(1);
    } while (timer.elapsed() < ms);
}

bool CUiDriver::WaitUntil(const std::function<bool()>& cond, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

bool CUiDriver::SavePng(const std::string& path)
{
    QWidget* host = HostOf(m_window);
    if (!host)
        return false;
    m_pm.UpdateLayout();
    return host->grab().save(QString::fromStdString(path), "PNG");
}

int CUiDriver::CountOf(const std::wstring& type, const std::wstring& sender) const
{
    int n = 0;
    for (const auto& r : m_records)
        if (r.type == type && (sender.empty() || r.sender == sender))
            ++n;
    return n;
}

const NotifyRecord* CUiDriver::Last(const std::wstring& type, const std::wstring& sender) const
{
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it)
        if (it->type == type && (sender.empty() || it->sender == sender))
            return &*it;
    return nullptr;
}

} // namespace DuiLib
