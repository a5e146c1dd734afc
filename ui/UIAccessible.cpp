#include "ui/UIAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>
#include <QWindow>

#include <mutex>
#include <unordered_map>

#include "ui/UIButton.h"
#include "ui/UIContainer.h"
#include "ui/UIDispatchScope.h"
#include "ui/UIEdit.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UIProgress.h"
#include "ui/internal/HostWidget.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/TextMarkup.h"

namespace DuiLib {

namespace {

    // UI thread only, as the controls are. A control's interface lives until the
    // control leaves its window; Qt owns it and is told to drop it then.
    std::unordered_map<const CControlUI*, QAccessible::Id>& Registry()
    {
        static auto* registry = new std::unordered_map<const CControlUI*, QAccessible::Id>;
        return *registry;
    }

    QWidget* HostOf(const CControlUI* control)
    {
        CPaintManagerUI* pm = control ? control->GetManager() : nullptr;
        return pm ? pm->GetImpl().host.data() : nullptr;
    }

    std::wstring PlainText(const CControlUI* control)
    {
        const std::wstring text = control->GetText();
        if (!markup::HasTags(text))
            return text;
        std::wstring plain;
        for (const markup::Token& t : markup::Tokenize(text))
            if (t.type == markup::Token::Text)
                plain += t.text;
        return plain;
    }

    bool IsClass(const CControlUI* c, const wchar_t* name)
    {
        return c->GetClass() == name;
    }

    bool IsEdit(const CControlUI* c)
    {
        return dynamic_cast<const CEditUI*>(c) != nullptr;
    }

    // The visible children, in order: what the tree shows.
    std::vector<CControlUI*> VisibleChildren(const CControlUI* control)
    {
        std::vector<CControlUI*> children;
        auto* box = dynamic_cast<const CContainerUI*>(control);
        if (!box)
            return children;
        for (int i = 0; i < box->GetCountRaw(); ++i) {
            CControlUI* child = box->GetRawItemAt(i);
            if (child && child->IsVisible())
                children.push_back(child);
        }
        return children;
    }

    class ControlAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
    public:
        explicit ControlAccessible(CControlUI* control)
            : m_control(control)
        {
        }

        bool isValid() const override { return Registry().count(m_control) != 0 && HostOf(m_control); }
        QObject* object() const override { return nullptr; }
        QWindow* window() const override
        {
            QWidget* host = HostOf(m_control);
            return host ? host->windowHandle() : nullptr;
        }

        QAccessibleInterface* parent() const override
        {
            if (CControlUI* up = m_control->GetParent())
                return AccessibleOf(up);
            QWidget* host = HostOf(m_control);
            return host ? QAccessible::queryAccessibleInterface(host) : nullptr;
        }
        QAccessibleInterface* child(int index) const override
        {
            const std::vector<CControlUI*> children = VisibleChildren(m_control);
            return index >= 0 && index < static_cast<int>(children.size()) ? AccessibleOf(children[index])
                                                                           : nullptr;
        }
        int childCount() const override { return static_cast<int>(VisibleChildren(m_control).size()); }
        int indexOfChild(const QAccessibleInterface* child) const override
        {
            const std::vector<CControlUI*> children = VisibleChildren(m_control);
            for (std::size_t i = 0; i < children.size(); ++i)
                if (AccessibleOf(children[i]) == child)
                    return static_cast<int>(i);
            return -1;
        }
        QAccessibleInterface* childAt(int x, int y) const override
        {
            for (CControlUI* c : VisibleChildren(m_control)) {
                QAccessibleInterface* a = AccessibleOf(c);
                if (a && a->rect().contains(x, y))
                    return a;
            }
            return nullptr;
        }

        QString text(QAccessible::Text t) const override
        {
            const std::wstring& tip = m_control->GetToolTip();
            switch (t) {
            case QAccessible::Name: {
                if (IsEdit(m_control)) // its text is its value
                    return QString::fromStdWString(tip);
                // Spaces that spread a caption out ("登   录") are one space to a reader.
                const std::wstring plain = PlainText(m_control);
                return QString::fromStdWString(plain.empty() ? tip : plain).simplified();
            }
            case QAccessible::Description:
                return IsEdit(m_control) || PlainText(m_control).empty() ? QString()
                                                                         : QString::fromStdWString(tip);
            case QAccessible::Value:
                if (auto* edit = dynamic_cast<const CEditUI*>(m_control))
                    return edit->IsPasswordMode() ? QString() : QString::fromStdWString(edit->GetText());
                if (auto* progress = dynamic_cast<const CProgressUI*>(m_control))
                    return QString::number(progress->GetValue());
                return {};
            default:
                return {};
            }
        }
        void setText(QAccessible::Text t, const QString& text) override
        {
            if (t == QAccessible::Value && IsEdit(m_control) && m_control->IsEnabled())
                m_control->SetText(text.toStdWString());
        }

        QRect rect() const override
        {
            QWidget* host = HostOf(m_control);
            if (!host)
                return {};
            const RECT& rc = m_control->GetPos();
            return QRect(host->mapToGlobal(QPoint(rc.left, rc.top)), QSize(rc.Width(), rc.Height()));
        }

        QAccessible::Role role() const override
        {
            const CControlUI* c = m_control;
            if (c->GetParent() && IsClass(c->GetParent(), L"TabLayoutUI"))
                return QAccessible::PageTab;
            if (IsClass(c, L"CheckBoxUI"))
                return QAccessible::CheckBox;
            if (auto* option = dynamic_cast<const COptionUI*>(c))
                return option->GetGroup().empty() ? QAccessible::CheckBox : QAccessible::RadioButton;
            if (dynamic_cast<const CButtonUI*>(c))
                return QAccessible::Button;
            if (IsEdit(c))
                return QAccessible::EditableText;
            if (dynamic_cast<const CProgressUI*>(c))
                return QAccessible::ProgressBar;
            if (dynamic_cast<const CListUI*>(c) || IsClass(c, L"TreeViewUI"))
                return QAccessible::List;
            if (dynamic_cast<const IListItemUI*>(c) || IsClass(c, L"TreeNodeUI"))
                return QAccessible::ListItem;
            if (IsClass(c, L"TabLayoutUI"))
                return QAccessible::PageTabList;
            if (dynamic_cast<const CContainerUI*>(c))
                return QAccessible::Grouping;
            if (dynamic_cast<const CLabelUI*>(c))
                return QAccessible::StaticText;
            return c->GetBkImage().empty() ? QAccessible::Pane : QAccessible::Graphic;
        }

        QAccessible::State state() const override
        {
            QAccessible::State s;
            const CControlUI* c = m_control;
            s.invisible = !c->IsVisibleInTree();
            s.disabled = !c->IsEnabled();
            s.focusable = c->IsFocusable();
            CPaintManagerUI* pm = c->GetManager();
            s.focused = pm && pm->GetFocus() == c;
            if (auto* option = dynamic_cast<const COptionUI*>(c)) {
                s.checkable = true;
                s.checked = option->IsSelected();
            }
            if (auto* item = dynamic_cast<const IListItemUI*>(c)) {
                s.selectable = true;
                s.selected = item->IsSelected();
            }
            if (auto* edit = dynamic_cast<const CEditUI*>(c)) {
                s.editable = true;
                s.passwordEdit = edit->IsPasswordMode();
                s.readOnly = edit->IsReadOnly();
            }
            return s;
        }

        void* interface_cast(QAccessible::InterfaceType type) override
        {
            return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                        : nullptr;
        }

        QStringList actionNames() const override
        {
            if (!m_control->IsEnabled())
                return {};
            if (dynamic_cast<const COptionUI*>(m_control))
                return { toggleAction(), pressAction() };
            if (dynamic_cast<const CButtonUI*>(m_control))
                return { pressAction() };
            if (m_control->IsFocusable())
                return { setFocusAction() };
            return {};
        }
        void doAction(const QString& name) override
        {
            if (!isValid() || !m_control->IsEnabled() || !m_control->IsVisibleInTree())
                return;
            CPaintManagerUI* pm = m_control->GetManager();
            CDispatchScope scope(pm);
            if ((name == pressAction() || name == toggleAction()) && dynamic_cast<CButtonUI*>(m_control))
                m_control->Activate(); // the click notification, as the mouse gives it
            else if (name == setFocusAction() && m_control->IsFocusable())
                pm->SetFocus(m_control);
        }
        QStringList keyBindingsForAction(const QString&) const override { return {}; }

        CControlUI* control() const { return m_control; }

    private:
        CControlUI* m_control;
    };

    // The host widget: a window whose one child is the root control.
    class HostAccessible : public QAccessibleWidget {
    public:
        explicit HostAccessible(CHostWidget* host)
            : QAccessibleWidget(host, QAccessible::Window)
            , m_host(host)
        {
        }

        int childCount() const override { return Root() ? 1 : 0; }
        QAccessibleInterface* child(int index) const override
        {
            return index == 0 && Root() ? AccessibleOf(Root()) : nullptr;
        }
        int indexOfChild(const QAccessibleInterface* child) const override
        {
            return Root() && child == AccessibleOf(Root()) ? 0 : -1;
        }
        QAccessibleInterface* childAt(int x, int y) const override
        {
            QAccessibleInterface* root = child(0);
            return root && root->rect().contains(x, y) ? root : nullptr;
        }

    private:
        CControlUI* Root() const
        {
            CPaintManagerUI* pm = m_host->Manager();
            CControlUI* root = pm ? pm->GetRoot() : nullptr;
            return root && root->IsVisible() ? root : nullptr;
        }
        CHostWidget* m_host;
    };

    QAccessibleInterface* HostFactory(const QString&, QObject* object)
    {
        if (auto* host = dynamic_cast<CHostWidget*>(object))
            return new HostAccessible(host);
        return nullptr;
    }

} // namespace

void InstallAccessibility()
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(&HostFactory); });
}

QAccessibleInterface* AccessibleOf(CControlUI* control)
{
    if (!control || !HostOf(control))
        return nullptr;
    auto& registry = Registry();
    if (auto it = registry.find(control); it != registry.end())
        return QAccessible::accessibleInterface(it->second);
    auto* iface = new ControlAccessible(control);
    registry.emplace(control, QAccessible::registerAccessibleInterface(iface));
    return iface;
}

void ForgetAccessible(CControlUI* control)
{
    auto& registry = Registry();
    auto it = registry.find(control);
    if (it == registry.end())
        return;
    const QAccessible::Id id = it->second;
    registry.erase(it);
    QAccessible::deleteAccessibleInterface(id);
}

void AnnounceFocus(CControlUI* control)
{
    if (!QAccessible::isActive())
        return;
    if (QAccessibleInterface* iface = AccessibleOf(control)) {
        QAccessibleEvent event(iface, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

void AnnounceChecked(CControlUI* control)
{
    if (!QAccessible::isActive())
        return;
    if (QAccessibleInterface* iface = AccessibleOf(control)) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(iface, changed);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace DuiLib
