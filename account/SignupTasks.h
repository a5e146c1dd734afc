#pragma once

#include "app/Task.h"

// The registration form's tasks. None of them assigns the cookie jar: the
// form runs before any login of the run.

// GET "/api/index/verify?type=unique&rule=user,name&value=" + signupName;
// signupNameOk takes the verdict of an answered request; UM_VERIFY_NAME.
void VerifyUserName(ClientManager& owner, TaskArg argument);
// The same for signupPhone ("user,phone"); UM_VERIFY_PHONE.
void VerifyPhone(ClientManager& owner, TaskArg argument);
// Posts "&phone=" + signupPhone; the payload's "msg" becomes smsResultText;
// UM_SMS_SENT.
void SendSmsCode(ClientManager& owner, TaskArg argument);
// Posts password, phone, username, code (and invite_code when typed);
// UM_SIGNUP 1119 accepted, 0 refused, 1120 when the request failed.
void RegisterUser(ClientManager& owner, TaskArg argument);
