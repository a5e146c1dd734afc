#include "account/Login.h"

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "app/Shell.h"
#include "net/FormFields.h"
#include "net/ServiceCall.h"
#include "platform/MessageBox.h"

void RequestLogin(ClientManager& owner, TaskArg)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_user_login";
    // Each value encoded on its own: a password with "&" in it stays whole.
    SetFormFields(
        request, { { "username", owner.user.loginName }, { "password", owner.user.loginPassword } }, false);
    const ServiceReply reply = CallService(request);
    if (reply.succeeded())
        owner.user.loginState = kLoginStateLoggedIn;
    owner.Send(msg::UM_LOGIN, 0, reply.text);
}

void RequestLogout(ClientManager& owner, TaskArg)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_user_logout";
    const ServiceReply reply = CallService(request);
    if (reply.succeeded())
        owner.user.loginState = kLoginStateLoggedOut;
    owner.Send(msg::UM_LOGOUT, 0, reply.text);
}

void OnLoginResult(IShell& shell, const std::wstring& text)
{
    shell.EndWait();
    if (shell.Client().user.loginState == kLoginStateLoggedIn) {
        shell.OnLoggedIn();
        return;
    }
    MessageBox(text, L"错误", MessageBoxButtons::Ok, MessageBoxIcon::None, shell.Owner());
}

void OnLogoutResult(IShell& shell, const std::wstring& text)
{
    shell.EndWait();
    // A logout the sign-out had to cut short (the service did not answer in
    // time) says nothing: the sign-out goes on either way.
    if (shell.Client().user.loginState != kLoginStateLoggedOut && !text.empty())
        MessageBox(text, L"错误", MessageBoxButtons::Ok, MessageBoxIcon::None, shell.Owner());
}
