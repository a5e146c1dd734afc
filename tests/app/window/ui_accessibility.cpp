// What assistive tools see of the real window through Qt's accessibility
// layer: the sign-in page's fields and button, the main page after a sign-in
// made through the interfaces alone.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QWidget>

#include <functional>

#include "app/window/CMainWnd.h"
#include "tests/support/MainWindowTest.h"
#include "ui/UIAccessible.h"
#include "ui/UIControl.h"
#include "ui/UIManager.h"

namespace {

using namespace korvana::test;

// Every interface below `iface`, depth first.
void Walk(QAccessibleInterface* iface, const std::function<void(QAccessibleInterface*)>& visit, int depth = 0)
{
    ASSERT_LT(depth, 64) << "the tree does not end";
    visit(iface);
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->parent(), iface) << "a child names its parent";
        EXPECT_EQ(iface->indexOfChild(child), i);
        Walk(child, visit, depth + 1);
    }
}

class AccessibilityTest : public MainWindowTest {
protected:
    QWidget* Host() { return static_cast<QWidget*>(window().GetNativeWindow()); }
    QAccessibleInterface* Top() { return QAccessible::queryAccessibleInterface(Host()); }
    std::vector<QAccessibleInterface*> All()
    {
        std::vector<QAccessibleInterface*> all;
        Walk(Top(), [&](QAccessibleInterface* a) { all.push_back(a); });
        return all;
    }
    // The one interface of that role and name (nullptr when none or several).
    QAccessibleInterface* Named(QAccessible::Role role, const QString& name)
    {
        QAccessibleInterface* found = nullptr;
        int count = 0;
        for (QAccessibleInterface* a : All())
            if (a->role() == role && a->text(QAccessible::Name) == name) {
                found = a;
                ++count;
            }
        return count == 1 ? found : nullptr;
    }
    QAccessibleInterface* Of(const std::wstring& controlName)
    {
        return DuiLib::AccessibleOf(Find(controlName));
    }
    static void Press(QAccessibleInterface* a)
    {
        QAccessibleActionInterface* actions = a->actionInterface();
        ASSERT_NE(actions, nullptr);
        ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
        actions->doAction(QAccessibleActionInterface::pressAction());
    }
};

TEST_F(AccessibilityTest, TheSignInPageShowsItsButtonFieldsAndCheckBox)
{
    StartWindow();
    QAccessibleInterface* top = Top();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->role(), QAccessible::Window);
    ASSERT_EQ(top->childCount(), 1) << "the root control";

    std::vector<QAccessibleInterface*> all = All();
    for (QAccessibleInterface* a : all) {
        EXPECT_TRUE(a->isValid());
        EXPECT_FALSE(a->state().invisible)
            << a->text(QAccessible::Name).toStdString() << ": only visible controls";
    }

    QAccessibleInterface* login = Named(QAccessible::Button, QStringLiteral("登 录"));
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(login, Of(L"BtnOfLogin"));
    // A first run has no remembered name: the focus starts in the name field.
    EXPECT_FALSE(login->state().focused);
    EXPECT_TRUE(Of(L"EditOfLoginName")->state().focused);
    const DuiLib::RECT& pos = Find(L"BtnOfLogin")->GetPos();
    EXPECT_EQ(login->rect(),
        QRect(Host()->mapToGlobal(QPoint(pos.left, pos.top)), QSize(pos.Width(), pos.Height())));
    EXPECT_EQ(top->childAt(login->rect().center().x(), login->rect().center().y()), top->child(0));

    QAccessibleInterface* name = Of(L"EditOfLoginName");
    QAccessibleInterface* password = Of(L"EditOfLoginPwd");
    ASSERT_TRUE(name && password);
    EXPECT_EQ(name->role(), QAccessible::EditableText);
    EXPECT_FALSE(name->state().passwordEdit);
    EXPECT_EQ(password->role(), QAccessible::EditableText);
    EXPECT_TRUE(password->state().passwordEdit);
    EXPECT_NE(std::find(all.begin(), all.end(), name), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), password), all.end());
    Find(L"EditOfLoginPwd")->SetText(L"secret");
    EXPECT_EQ(password->text(QAccessible::Value), QString()) << "a password is never read out";

    QAccessibleInterface* remember = Named(QAccessible::CheckBox, QStringLiteral("记住密码"));
    ASSERT_NE(remember, nullptr);
    EXPECT_TRUE(remember->state().checkable);
    EXPECT_TRUE(remember->state().checked);
    // Toggling through the interface is a click on the box.
    remember->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(remember->state().checked);
    remember->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(remember->state().checked);

    // A control without text is named by its tooltip.
    EXPECT_EQ(Of(L"BtnOfHelp")->text(QAccessible::Name), QStringLiteral("帮助"));
}

TEST_F(AccessibilityTest, PressingTheButtonThroughItsInterfaceSignsIn)
{
    StartWindow();
    QAccessibleInterface* name = Of(L"EditOfLoginName");
    QAccessibleInterface* password = Of(L"EditOfLoginPwd");
    ASSERT_TRUE(name && password);
    name->setText(QAccessible::Value, QStringLiteral("demo"));
    password->setText(QAccessible::Value, QStringLiteral("korvana123"));
    EXPECT_EQ(name->text(QAccessible::Value), QStringLiteral("demo"));
    QAccessibleInterface* login = Named(QAccessible::Button, QStringLiteral("登 录"));
    ASSERT_NE(login, nullptr);
    Press(login);
    ASSERT_TRUE(WaitFor([&] { return window().IsLoggedIn() && !IsWaiting(); }, 20000));
    EXPECT_EQ(MainWindowPage(), 1);

    // The main page is in the tree now, the sign-in page is not.
    EXPECT_EQ(Named(QAccessible::Button, QStringLiteral("登 录")), nullptr);
    int buttons = 0, options = 0, labels = 0;
    for (QAccessibleInterface* a : All()) {
        EXPECT_FALSE(a->state().invisible);
        buttons += a->role() == QAccessible::Button;
        options += a->role() == QAccessible::RadioButton;
        labels += a->role() == QAccessible::StaticText;
    }
    EXPECT_GT(buttons, 3);
    EXPECT_GE(options, 6) << "the menu of pages";
    EXPECT_GT(labels, 0);
    // The menu's entry (the device page's first tab has the same name).
    QAccessibleInterface* devices = Of(L"OptOfDevice");
    ASSERT_NE(devices, nullptr);
    EXPECT_EQ(devices->role(), QAccessible::RadioButton);
    EXPECT_EQ(devices->text(QAccessible::Name), QStringLiteral("我的设备"));
    EXPECT_TRUE(devices->state().checked) << "the device page is the one shown";
}

TEST_F(AccessibilityTest, AControlThatGoesAwayTakesItsInterfaceWithIt)
{
    StartWindow();
    QAccessibleInterface* login = Of(L"BtnOfLogin");
    ASSERT_NE(login, nullptr);
    const QAccessible::Id id = QAccessible::uniqueId(login);
    EndWindow();
    EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
}

} // namespace
