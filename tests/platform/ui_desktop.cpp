#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/Browser.h"
#include "platform/Clipboard.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/PopupMenu.h"
#include "platform/QtWindowHandle.h"
#include "platform/TrayIcon.h"
#include "platform/UiMessageQueue.h"
#include "platform/UiThreadCall.h"
#include "tests/support/DesktopHooks.h"
#include "tests/support/QtApp.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvana::test;

// Calls act with the first widget find() returns, as soon as there is one,
// the way a person would answer what appeared on the screen.
void WhenShown(std::function<QWidget*()> find, std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, find, act] {
        if (QWidget* w = find()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start(5);
}

QMessageBox* ShownBox()
{
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

QStringList ButtonTexts(QMessageBox* box)
{
    QStringList texts;
    for (QAbstractButton* b : box->buttons())
        texts << b->text();
    texts.sort();
    return texts;
}

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureQtApplication();
        ShowDialogsWithoutDisplayForTesting(true); // these tests answer them by program
    }
    void TearDown() override { ShowDialogsWithoutDisplayForTesting(false); }
};

TEST(HeadlessDesktop, DialogsNobodyCouldAnswerTakeTheirDefaultAtOnce)
{
    EnsureQtApplication(); // offscreen: no person in front of it
    EXPECT_EQ(MessageBox(L"已经有一个程序实例在运行！", L"提示"), MessageBoxAnswer::Ok);
    EXPECT_EQ(MessageBox(L"要退出么？", L"提示", MessageBoxButtons::OkCancel), MessageBoxAnswer::Cancel);
    EXPECT_EQ(ChooseFile(nullptr, L""), L"");
    EXPECT_EQ(ShowPopupMenu(nullptr, { { 40005, L"退出" } }), 0u);
}

TEST_F(DesktopTest, BoxFromAWorkerRunsOnTheUiThreadAndBlocksTheWorker)
{
    QStringList buttons;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool onTop = false;
    Qt::WindowModality modality = Qt::NonModal;
    WhenShown([] { return ShownBox(); },
        [&](QWidget* w) {
            auto* box = static_cast<QMessageBox*>(w);
            buttons = ButtonTexts(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            modality = box->windowModality();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == QStringLiteral("取消"))
                    b->click();
        });

    std::atomic<bool> done { false };
    MessageBoxAnswer answer = MessageBoxAnswer::Ok;
    std::thread worker([&] {
        answer = MessageBox(
            L"要退出么？", L"提示", MessageBoxButtons::OkCancel, MessageBoxIcon::Warning, nullptr, true);
        done = true;
    });
    RunNestedLoopUntil([&] { return done.load(); });
    worker.join();

    EXPECT_EQ(answer, MessageBoxAnswer::Cancel);
    EXPECT_EQ(buttons, (QStringList { QStringLiteral("取消"), QStringLiteral("确定") }));
    EXPECT_EQ(title, QStringLiteral("提示"));
    EXPECT_EQ(text, QStringLiteral("要退出么？"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_TRUE(onTop);
    EXPECT_EQ(modality, Qt::ApplicationModal);
}

TEST_F(DesktopTest, OkBoxOffersOnlyOkAndClosingItMeansOk)
{
    QStringList buttons;
    WhenShown([] { return ShownBox(); },
        [&](QWidget* w) {
            auto* box = static_cast<QMessageBox*>(w);
            buttons = ButtonTexts(box);
            box->close(); // the close button, or Escape
        });
    EXPECT_EQ(
        MessageBox(L"创建数据缓存目录失败！", L"提示", MessageBoxButtons::Ok, MessageBoxIcon::Information),
        MessageBoxAnswer::Ok);
    EXPECT_EQ(buttons, QStringList { QStringLiteral("确定") });

    WhenShown([] { return ShownBox(); }, [](QWidget* w) { static_cast<QMessageBox*>(w)->close(); });
    EXPECT_EQ(MessageBox(L"要退出么？", L"提示", MessageBoxButtons::OkCancel), MessageBoxAnswer::Cancel);
}

TEST_F(DesktopTest, OwnedBoxIsParentedToItsWindow)
{
    QWidget window;
    window.show();
    QWidget* parent = nullptr;
    WhenShown([] { return ShownBox(); },
        [&](QWidget* w) {
            parent = w->parentWidget();
            static_cast<QMessageBox*>(w)->buttons().front()->click();
        });
    MessageBox(
        L"请重新登陆！", L"错误", MessageBoxButtons::Ok, MessageBoxIcon::None, HandleOfWidget(&window));
    EXPECT_EQ(parent, &window);
}

TEST_F(DesktopTest, RecorderAnswersEveryBoxFromAnyThreadWithoutShowingOne)
{
    MessageBoxRecorder boxes;
    boxes.Answer(MessageBoxAnswer::Cancel);
    QWidget window;
    EXPECT_EQ(MessageBox(L"要退出么？", L"提示", MessageBoxButtons::OkCancel, MessageBoxIcon::Warning,
                  HandleOfWidget(&window)),
        MessageBoxAnswer::Cancel);
    std::thread worker([] { MessageBox(L"下载完成！", L"提示"); });
    worker.join();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    const auto seen = boxes.Boxes();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].buttons, MessageBoxButtons::OkCancel);
    EXPECT_EQ(seen[0].icon, MessageBoxIcon::Warning);
    EXPECT_EQ(seen[0].owner, HandleOfWidget(&window));
    EXPECT_EQ(seen[1].owner, nullptr);
    EXPECT_EQ(seen[1].buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(boxes.CountOf(L"下载完成！", L"提示"), 1u);
    EXPECT_EQ(boxes.CountOf(L"下载完成！", L"错误"), 0u);
}

TEST_F(DesktopTest, FileDialogPicksAnExistingFileUnderTheDefaultTitle)
{
    TempDir dir;
    const auto file = dir.path() / "app.apk";
    std::ofstream(file) << "x";

    QString title;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    WhenShown([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); },
        [&](QWidget* w) {
            auto* dialog = static_cast<QFileDialog*>(w);
            title = dialog->windowTitle();
            mode = dialog->fileMode();
            dialog->selectFile(QString::fromStdString(file.string()));
            static_cast<QDialog*>(dialog)->accept();
        });
    EXPECT_EQ(ChooseFile(nullptr, L""), file.wstring());
    EXPECT_EQ(title, QStringLiteral("请选择游戏启动程序"));
    EXPECT_EQ(mode, QFileDialog::ExistingFile);

    WhenShown([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); },
        [&](QWidget* w) {
            title = w->windowTitle();
            static_cast<QFileDialog*>(w)->reject();
        });
    EXPECT_EQ(ChooseFile(nullptr, L"请选择上传文件"), L"");
    EXPECT_EQ(title, QStringLiteral("请选择上传文件"));
}

TEST_F(DesktopTest, FileChooserStubGetsTheTitleTheDialogWouldShow)
{
    FileChooserStub stub(L"/tmp/a.png");
    EXPECT_EQ(ChooseFile(nullptr, L"请选择头像图片"), L"/tmp/a.png");
    EXPECT_EQ(ChooseFile(nullptr, L""), L"/tmp/a.png");
    EXPECT_EQ(stub.Titles(), (std::vector<std::wstring> { L"请选择头像图片", L"请选择游戏启动程序" }));
}

TEST_F(DesktopTest, PopupMenuShowsItemsWithMarksAndReturnsTheChosenId)
{
    std::vector<std::pair<QString, bool>> shown;
    WhenShown([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
        [&](QWidget* w) {
            auto* menu = static_cast<QMenu*>(w);
            QAction* pick = nullptr;
            for (QAction* a : menu->actions()) {
                if (a->isSeparator())
                    continue;
                shown.emplace_back(a->text(), a->isChecked());
                if (a->text() == QStringLiteral("自动登录"))
                    pick = a;
            }
            // Choose it the way the keyboard does: make it current, press Return.
            menu->setActiveAction(pick);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(menu, &press);
        });
    std::vector<MenuItem> items { { 40002, L"开机启动", true, true }, { 40003, L"自动登录", true, false },
        MenuItem { 0, L"", false, false, true, true }, { 40005, L"退出" } };
    EXPECT_EQ(ShowPopupMenu(nullptr, items, ScreenPoint { 100, 100 }, true), 40003u);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], std::make_pair(QStringLiteral("开机启动"), true));
    EXPECT_EQ(shown[1], std::make_pair(QStringLiteral("自动登录"), false));

    WhenShown([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
        [](QWidget* w) { static_cast<QMenu*>(w)->close(); });
    EXPECT_EQ(ShowPopupMenu(nullptr, items), 0u); // dismissed
}

TEST_F(DesktopTest, TrayIconReportsClicksAsMouseMessagesAndTestsSeeAddAndRemove)
{
    TrayRecorder tray(false);
    EXPECT_FALSE(TrayIcon::IsTrayAvailable());
    std::vector<LPARAM> clicks;
    {
        TrayIcon icon;
        icon.SetCallback([&](LPARAM m) { clicks.push_back(m); });
        ASSERT_TRUE(icon.Add({ L"Korvana云手机", L"提示", L"欢迎使用！", 1000, {} }));
        EXPECT_TRUE(icon.IsAdded());
        icon.DeliverMouseMessage(WM_LBUTTONUP);
        icon.DeliverMouseMessage(WM_RBUTTONUP);
        icon.Remove();
        EXPECT_FALSE(icon.IsAdded());
        icon.Add({ L"Korvana云手机", L"提示", L"欢迎使用！", 1000, {} });
    } // removed again when destroyed
    EXPECT_EQ(clicks, (std::vector<LPARAM> { WM_LBUTTONUP, WM_RBUTTONUP }));
    const auto events = tray.Events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, TrayIconEvent::Kind::Added);
    EXPECT_EQ(events[0].look.balloonText, L"欢迎使用！");
    EXPECT_EQ(events[1].kind, TrayIconEvent::Kind::Removed);
    EXPECT_EQ(events[3].kind, TrayIconEvent::Kind::Removed);
    EXPECT_EQ(tray.AddCount(), 2u);
}

TEST_F(DesktopTest, RealTrayIconCanBeAddedWhereNoTrayExists)
{
    // The offscreen desktop has no tray: adding must not fail or crash, and
    // the window learns that hiding to the tray means minimising.
    TrayIcon icon;
    EXPECT_TRUE(icon.Add({ L"Korvana云手机", L"提示", L"欢迎使用！", 1000, "not an image" }));
    icon.Remove();
    SUCCEED();
}

TEST_F(DesktopTest, UrlsAndClipboard)
{
    {
        UrlRecorder urls;
        EXPECT_TRUE(OpenUrl(L"http://127.0.0.1:18080/help.html"));
        EXPECT_EQ(urls.Urls(), std::vector<std::wstring> { L"http://127.0.0.1:18080/help.html" });
    }
    SetClipboardText(L"邀请码 ABC123");
    EXPECT_EQ(ClipboardText(), L"邀请码 ABC123");
    std::thread worker([] { SetClipboardText(L"from a worker"); });
    while (ClipboardText() != L"from a worker")
        QCoreApplication::processEvents();
    worker.join();
}

} // namespace

namespace {

TEST(DialogTexts, TheStandardDialogsSpeakChinese)
{
    korvana::test::EnsureQtApplication();
    ASSERT_TRUE(LoadStandardDialogTexts()) << "qt6-translations-l10n is installed by scripts/setup";
    EXPECT_TRUE(LoadStandardDialogTexts()) << "a second call keeps the first";
    // Two texts of the open-file dialog.
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral("File &name:"));
}

} // namespace
