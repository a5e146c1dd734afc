#include "account/SignupTasks.h"

#include "account/SignupRules.h"
#include "app/ClientManager.h"
#include "app/Messages.h"
#include "net/FormFields.h"
#include "net/JsonRead.h"
#include "net/ServiceCall.h"

namespace {

// A failed request leaves the flag as it was (the window shows the text) and
// forgets the value, so that leaving the field again asks once more instead
// of repeating a verdict that never came.
void Verify(ClientManager& owner, const char* rule, std::wstring& value, bool& verdict, UINT message)
{
    ServiceRequest request;
    request.path = "/api/index/verify";
    request.operation = ServiceOperation::Get;
    request.assignCookieJar = false;
    request.params = VerifyQuery(rule, value);
    const ServiceReply reply = CallService(request);
    if (reply.stage == ServiceStage::Answered)
        verdict = reply.envelope.success;
    else
        value.clear();
    owner.Send(message, 0, reply.text);
}

} // namespace

void VerifyUserName(ClientManager& owner, TaskArg)
{
    Verify(owner, "user,name", owner.signup.signupName, owner.signup.signupNameOk, msg::UM_VERIFY_NAME);
}

void VerifyPhone(ClientManager& owner, TaskArg)
{
    Verify(owner, "user,phone", owner.signup.signupPhone, owner.signup.signupPhoneOk, msg::UM_VERIFY_PHONE);
}

void SendSmsCode(ClientManager& owner, TaskArg)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_user_register_send_message";
    request.assignCookieJar = false;
    SetFormFields(request, { { "phone", owner.signup.signupPhone } }, true);
    const ServiceReply reply = CallService(request);
    std::wstring text = reply.text;
    if (reply.succeeded() && reply.envelope.payload) {
        owner.signup.smsResultText = json::Utf8Text(reply.envelope.payload.get(), "msg");
        text = owner.signup.smsResultText;
    }
    owner.Send(msg::UM_SMS_SENT, 0, text);
}

void RegisterUser(ClientManager& owner, TaskArg)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_user_register";
    request.assignCookieJar = false;
    SetFormFields(request, RegisterFields(owner.signup), true);
    const ServiceReply reply = CallService(request);
    if (reply.stage != ServiceStage::Answered) {
        owner.Send(msg::UM_SIGNUP, msg::kSignupRequestFailed, reply.text);
        return;
    }
    owner.Send(msg::UM_SIGNUP, reply.envelope.success ? msg::kSignupDone : msg::kSignupRefused, reply.text);
}
