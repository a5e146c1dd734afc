#pragma once

#include <memory>
#include <string>

#include "app/Task.h"
#include "platform/WindowHandle.h"

namespace DuiLib {
class CPaintManagerUI;
} // namespace DuiLib

class ClientManager;
class IAccountActions;
class IDeviceActions;
class IControlActions;
class ICommerceActions;
class IMarketActions;
class INotifyActions;

// What a page may ask of the main window. The window implements it; pages
// get it at construction and never see the window class itself.
class IShell {
public:
    virtual ~IShell() = default;

    virtual DuiLib::CPaintManagerUI& Paint() = 0;
    // The owner window for message boxes and dialogs.
    virtual WindowHandle Owner() = 0;
    virtual ClientManager& Client() = 0;
    virtual const std::shared_ptr<ClientManager>& ClientRef() = 0;

    // Starts a task on the shared ClientManager (see app/Task.h). When no
    // thread can be started the wait state ends, as no result will end it.
    TaskHandle Start(TaskRoutine routine, TaskArg argument = 0)
    {
        return StartBody(MakeTaskBody(routine, argument));
    }
    // The same with the task's own copy of a typed value.
    template <class T> TaskHandle StartWith(void (*routine)(ClientManager&, T&), T value)
    {
        return StartBody(MakeTaskBody(routine, std::move(value)));
    }
    virtual TaskHandle StartBody(std::unique_ptr<TaskBody> body) = 0;

    // The wait state: wait cursor, and the mouse kept away from the controls.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;

    // "-1000" shows "请重新登陆！" and returns to the sign-in page; any other
    // text is shown as it is; caption "错误", owned by the main window.
    virtual void GenericFailure(const std::wstring& text) = 0;

    // The login action (as a click on the login button).
    virtual void SignIn() = 0;
    // The steps after a successful login: the main page, and on the first
    // login of a sign-in the tray icon, every page's OnSignedIn and the
    // message poll.
    virtual void OnLoggedIn() = 0;
    // The sign-out sequence.
    virtual void SignOut() = 0;
    // The sign-in page of the window, without a sign-out (the password was
    // changed: the next login is the user's).
    virtual void ShowSignIn() = 0;
    // The update's download page.
    virtual void ShowDownload() = 0;
    // A close request carrying its code (1, 1065, 1066).
    virtual void RequestClose(unsigned code) = 0;
    // Ends the client at once, without the close decision (the start-up
    // cannot go on, or the update took over).
    virtual void Quit() = 0;
    // The tray menu (开机启动, 自动登录, 隐藏到任务栏, 退出) at the mouse position.
    virtual void ShowTrayMenu() = 0;

    // Cross-page operations, each offered by the page of its feature. The
    // pages exist from the window's initialisation on; a page calls these
    // from its handlers, never from its constructor.
    virtual IAccountActions& Account() = 0;
    virtual IDeviceActions& Devices() = 0;
    virtual IControlActions& Control() = 0;
    virtual ICommerceActions& Commerce() = 0;
    virtual IMarketActions& Market() = 0;
    virtual INotifyActions& Notices() = 0;
};
