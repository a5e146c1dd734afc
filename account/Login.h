#pragma once

#include <string>

#include "app/Task.h"

class IShell;

// The login task: posts loginName and loginPassword to
// "/api/qtz/front_user_login" and sets loginState to 1 when the service
// accepts them; reports UM_LOGIN with wParam 0 and the result text.
void RequestLogin(ClientManager& owner, TaskArg argument);

// The logout task, started only by the sign-out: posts an empty text to
// "/api/qtz/front_user_logout" and sets loginState to 2 when the service
// confirms; reports UM_LOGOUT with wParam 0 and the result text.
void RequestLogout(ClientManager& owner, TaskArg argument);

// The window's reactions. A login is taken as a success only by loginState,
// which the login action resets to 2 before the task starts.
void OnLoginResult(IShell& shell, const std::wstring& text);
// A logout the service did not confirm is shown; the sign-out goes on.
void OnLogoutResult(IShell& shell, const std::wstring& text);
