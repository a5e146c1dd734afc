#include "account/SignupForm.h"

#include "account/Captcha.h"
#include "account/SignupRules.h"
#include "account/SignupTasks.h"
#include "app/ClientManager.h"
#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/Shell.h"
#include "net/NumberText.h"
#include "platform/DebugLog.h"
#include "platform/MessageBox.h"
#include "ui/UICheckBox.h"
#include "ui/UIEdit.h"
#include "ui/UILabel.h"
#include "ui/UIManager.h"

using namespace DuiLib;

namespace {

constexpr const wchar_t* kOkMark = L"img/ok_15.png";
constexpr const wchar_t* kErrorMark = L"img/error_15.png";
constexpr int kSmsCountdownSeconds = 120;
constexpr int kCountdownAfterPrepare = 60;
constexpr const wchar_t* kCountdownSuffix = L"秒后重新获取";
constexpr const wchar_t* kSmsButtonText = L"获取验证码";

// Sets the flag for the duration of a scope.
class Guard {
public:
    explicit Guard(bool& flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~Guard() { m_flag = false; }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    bool& m_flag;
};

} // namespace

SignupForm::SignupForm(IShell& shell)
    : m_shell(shell)
{
}

bool SignupForm::Bind(CPaintManagerUI& paint)
{
    m_notice = paint.FindControlAs<CLabelUI>(L"LabOfSignupNotify");
    m_name = paint.FindControlAs<CEditUI>(L"EditOfSignupName");
    m_nameMark = paint.FindControl(L"CtrlOfSignupName");
    m_password = paint.FindControlAs<CEditUI>(L"EditOfSignupPwd");
    m_passwordMark = paint.FindControl(L"CtrlOfSignupPwd");
    m_rePassword = paint.FindControlAs<CEditUI>(L"EditOfSignupRePwd");
    m_rePasswordMark = paint.FindControl(L"CtrlOfSignupRePwd");
    m_pictureCode = paint.FindControlAs<CEditUI>(L"EditOfPicCaptcha");
    m_pictureCodeMark = paint.FindControl(L"CtrlOfPicCaptcha");
    m_phone = paint.FindControlAs<CEditUI>(L"EditOfPhoneNum");
    m_phoneMark = paint.FindControl(L"CtrlOfPhoneNum");
    m_smsCode = paint.FindControlAs<CEditUI>(L"EditOfSmsCaptcha");
    m_smsCodeMark = paint.FindControl(L"CtrlOfSmsCaptcha");
    m_smsButton = paint.FindControl(L"BtnOfSmsCaptcha");
    m_invitation = paint.FindControlAs<CEditUI>(L"EditOfInvitation");
    m_agree = paint.FindControlAs<CCheckBoxUI>(L"CBoxOfAgree");
    m_loginName = paint.FindControlAs<CEditUI>(L"EditOfLoginName");
    m_loginPassword = paint.FindControlAs<CEditUI>(L"EditOfLoginPwd");
    const bool bound = m_notice && m_name && m_nameMark && m_password && m_passwordMark && m_rePassword
        && m_rePasswordMark && m_pictureCode && m_pictureCodeMark && m_phone && m_phoneMark && m_smsCode
        && m_smsCodeMark && m_smsButton && m_invitation && m_agree && m_loginName && m_loginPassword
        && paint.FindControl(L"BtnOfPicCaptcha") && paint.FindControl(L"BtnOfSignup");
    if (!bound)
        return false;
    // The phone field is checked while it is typed: the rich edit reports
    // its changes only when asked to.
    m_phone->SetEventMask(m_phone->GetEventMask() | ENM_CHANGE);
    return true;
}

bool SignupForm::OnNotify(TNotifyUI& notification)
{
    CControlUI* sender = notification.pSender;
    if (!sender)
        return false;
    const std::wstring& type = notification.sType;
    if (type == DUI_MSGTYPE_CLICK)
        return OnClick(sender->GetName());
    if (type == DUI_MSGTYPE_SETFOCUS)
        return OnSetFocus(sender);
    if (type == DUI_MSGTYPE_KILLFOCUS)
        return OnKillFocus(sender);
    if (type == DUI_MSGTYPE_TEXTCHANGED && sender == m_phone) {
        OnPhoneTextChanged();
        return true;
    }
    if (type == DUI_MSGTYPE_TIMER && sender == m_smsButton
        && notification.wParam == msg::kTimerSmsCountdown) {
        CountdownTick();
        return true;
    }
    return false;
}

bool SignupForm::OnClick(const std::wstring& name)
{
    if (name == L"BtnOfPicCaptcha")
        RefreshPictureCaptcha(m_shell);
    else if (name == L"BtnOfSmsCaptcha")
        RequestSmsCode();
    else if (name == L"BtnOfSignup")
        SubmitSignup();
    else
        return false;
    return true;
}

bool SignupForm::OnSetFocus(CControlUI* sender)
{
    const std::pair<CControlUI*, CControlUI*> fields[] = {
        { m_name, m_nameMark },
        { m_password, m_passwordMark },
        { m_rePassword, m_rePasswordMark },
        { m_pictureCode, m_pictureCodeMark },
        { m_phone, m_phoneMark },
        { m_smsCode, m_smsCodeMark },
    };
    for (const auto& [edit, mark] : fields) {
        if (sender == edit) {
            SetMark(mark, Mark::None);
            return true;
        }
    }
    return false;
}

bool SignupForm::OnKillFocus(CControlUI* sender)
{
    SignupMembers& signup = m_shell.Client().signup;
    if (sender == m_name) {
        if (!m_inCheck)
            CheckSignupName();
    } else if (sender == m_password || sender == m_rePassword) {
        CheckSignupPasswords();
    } else if (sender == m_pictureCode) {
        CheckPictureCode();
    } else if (sender == m_phone) {
        if (m_inCheck)
            return true;
        Notice(L"");
        const std::wstring text = m_phone->GetText();
        if (!text.empty()) {
            CheckPhoneNumber(text);
        } else {
            signup.signupPhoneOk = false;
            signup.signupPhone.clear();
        }
    } else if (sender == m_smsCode) {
        Notice(L"");
        const std::wstring text = m_smsCode->GetText();
        if (!text.empty())
            signup.smsCode = text;
    } else if (sender == m_invitation) {
        signup.inviteCode = m_invitation->GetText();
    } else {
        return false;
    }
    return true;
}

bool SignupForm::OnMessage(UINT id, WPARAM wParam, LPARAM lParam)
{
    switch (id) {
    case msg::UM_VERIFY_NAME:
        OnNameVerified();
        if (!m_shell.Client().signup.signupNameOk)
            Notice(MessageText(lParam));
        return true;
    case msg::UM_VERIFY_PHONE:
        OnPhoneVerified(MessageText(lParam));
        return true;
    case msg::UM_SMS_SENT:
        OnSmsSent(MessageText(lParam));
        return true;
    case msg::UM_SIGNUP:
        OnSignupResult(wParam, MessageText(lParam));
        return true;
    default:
        return false;
    }
}

void SignupForm::PrepareSignupForm()
{
    SignupMembers& signup = m_shell.Client().signup;
    signup.signupName.clear();
    signup.signupPassword.clear();
    signup.signupPhone.clear();
    signup.expectedPictureCode.clear();
    signup.smsResultText.clear();
    signup.smsCode.clear();
    signup.signupNameOk = false;
    signup.signupPasswordOk = false;
    signup.pictureCodeOk = false;
    signup.signupPhoneOk = false;
    signup.smsCountdown = kCountdownAfterPrepare;
    RefreshPictureCaptcha(m_shell);
}

void SignupForm::CheckSignupName()
{
    SignupMembers& signup = m_shell.Client().signup;
    const std::wstring text = m_name->GetText();
    if (!IsSignupNameLength(text)) {
        if (!text.empty()) {
            Notice(L"用户名长度为4～15！");
            SetMark(m_nameMark, Mark::Error);
        } else {
            Notice(L"");
        }
        signup.signupNameOk = false;
        signup.signupName.clear();
        return;
    }
    if (text != signup.signupName) {
        Guard guard(m_inCheck);
        // A verdict about an earlier name says nothing about this one.
        signup.signupName = text;
        signup.signupNameOk = false;
        m_name->SetEnabled(false);
        m_shell.BeginWait();
        m_shell.Start(VerifyUserName).Drop();
        return;
    }
    if (signup.signupNameOk) {
        Notice(L"用户名已经验证通过！");
        SetMark(m_nameMark, Mark::Ok);
    } else {
        Notice(L"用户名验证失败，请修改！");
        SetMark(m_nameMark, Mark::Error);
    }
}

void SignupForm::OnNameVerified()
{
    m_shell.EndWait();
    SetMark(m_nameMark, m_shell.Client().signup.signupNameOk ? Mark::Ok : Mark::Error);
    m_name->SetEnabled(true);
}

void SignupForm::CheckSignupPasswords()
{
    SignupMembers& signup = m_shell.Client().signup;
    Notice(L"");
    signup.signupPassword.clear();
    signup.signupPasswordOk = false;
    const std::wstring password = m_password->GetText();
    if (!IsSignupPasswordLength(password)) {
        if (!password.empty()) {
            Notice(L"密码长度必须大于6位！");
            SetMark(m_passwordMark, Mark::Error);
            SetMark(m_rePasswordMark, Mark::None);
        }
        m_rePassword->SetText(L"");
        return;
    }
    SetMark(m_passwordMark, Mark::Ok);
    const std::wstring again = m_rePassword->GetText();
    if (again.empty())
        return;
    if (again != password) {
        m_rePassword->SetText(L"");
        Notice(L"密码不一致，请重新输入！");
        SetMark(m_rePasswordMark, Mark::Error);
        return;
    }
    signup.signupPassword = password;
    signup.signupPasswordOk = true;
    SetMark(m_rePasswordMark, Mark::Ok);
}

void SignupForm::CheckPictureCode()
{
    SignupMembers& signup = m_shell.Client().signup;
    Notice(L"");
    signup.pictureCodeOk = false;
    const std::wstring typed = m_pictureCode->GetText();
    if (typed.empty())
        return;
    DebugLogW(L"%ls ,%ls\n", signup.expectedPictureCode.c_str(), typed.c_str());
    if (signup.expectedPictureCode.empty() || !PictureCodeMatches(signup.expectedPictureCode, typed)) {
        Notice(L"验证码输入错误，请重新输入！");
        SetMark(m_pictureCodeMark, Mark::Error);
        return;
    }
    signup.pictureCodeOk = true;
    SetMark(m_pictureCodeMark, Mark::Ok);
}

void SignupForm::CheckPhoneNumber(const std::wstring& text)
{
    SignupMembers& signup = m_shell.Client().signup;
    if (!IsPhoneNumber(text)) {
        Notice(L"手机号码格式错误，请重新输入！");
        SetMark(m_phoneMark, Mark::Error);
        signup.signupPhoneOk = false;
        signup.signupPhone.clear();
        return;
    }
    if (text != signup.signupPhone) {
        Guard guard(m_inCheck);
        signup.signupPhone = text;
        signup.signupPhoneOk = false;
        m_phone->SetEnabled(false);
        m_shell.BeginWait();
        m_shell.Start(VerifyPhone).Drop();
        return;
    }
    if (signup.signupPhoneOk) {
        Notice(L"手机号已验证通过！");
        SetMark(m_phoneMark, Mark::Ok);
        m_smsButton->SetEnabled(true);
    } else {
        Notice(L"手机号已注册，需要修改！");
        SetMark(m_phoneMark, Mark::Error);
    }
}

void SignupForm::OnPhoneTextChanged()
{
    const std::wstring text = m_phone->GetText();
    if (text.size() == 11) {
        CheckPhoneNumber(text);
        return;
    }
    Notice(L"");
    SetMark(m_phoneMark, Mark::None);
    m_smsButton->SetEnabled(false);
}

void SignupForm::OnPhoneVerified(const std::wstring& text)
{
    m_shell.EndWait();
    if (m_shell.Client().signup.signupPhoneOk) {
        Notice(L"");
        SetMark(m_phoneMark, Mark::Ok);
        m_smsButton->SetEnabled(true);
    } else {
        Notice(text);
        SetMark(m_phoneMark, Mark::Error);
        m_smsButton->SetEnabled(false);
    }
    m_phone->SetEnabled(true);
}

void SignupForm::RequestSmsCode()
{
    SignupMembers& signup = m_shell.Client().signup;
    {
        Guard guard(m_inCheck);
        m_phone->SetEnabled(false);
    }
    m_smsCode->SetEnabled(false);
    m_smsCode->SetText(L"");
    m_smsButton->SetEnabled(false);
    signup.smsCode.clear();
    signup.smsResultText.clear();
    m_shell.BeginWait();
    m_shell.Start(SendSmsCode).Drop();
}

void SignupForm::OnSmsSent(const std::wstring& text)
{
    m_shell.EndWait();
    Notice(text);
    m_smsButton->SetText(IntToWide(kSmsCountdownSeconds) + kCountdownSuffix);
    m_shell.Client().signup.smsCountdown = kSmsCountdownSeconds;
    m_shell.Paint().SetTimer(m_smsButton, msg::kTimerSmsCountdown, 1000);
    m_smsCode->SetEnabled(true);
}

void SignupForm::CountdownTick()
{
    SignupMembers& signup = m_shell.Client().signup;
    if (signup.smsCountdown > 0) {
        m_smsButton->SetText(IntToWide(signup.smsCountdown) + kCountdownSuffix);
        --signup.smsCountdown;
        return;
    }
    m_shell.Paint().KillTimer(m_smsButton, msg::kTimerSmsCountdown);
    m_smsCode->SetEnabled(false);
    m_smsCode->SetText(L"");
    m_smsButton->SetEnabled(true);
    m_smsButton->SetText(kSmsButtonText);
    m_smsButton->SetFocus();
    m_phone->SetEnabled(true);
    signup.smsCode.clear();
    signup.smsResultText.clear();
}

void SignupForm::SubmitSignup()
{
    const SignupMembers& signup = m_shell.Client().signup;
    if (!signup.signupNameOk) {
        Notice(m_name->GetText().empty() ? L"用户名不能为空！" : L"用户名校验错误！");
        return;
    }
    if (!signup.signupPasswordOk) {
        Notice(m_password->GetText().empty() ? L"密码不能为空！" : L"密码校验错误！");
        return;
    }
    if (!signup.pictureCodeOk) {
        Notice(m_pictureCode->GetText().empty() ? L"图片验证码不能为空！" : L"图片验证码校验错误！");
        return;
    }
    if (!signup.signupPhoneOk) {
        Notice(m_phone->GetText().empty() ? L"手机号码不能为空！" : L"手机号码校验错误！");
        return;
    }
    if (m_smsCode->GetText().empty()) {
        Notice(L"短信验证码不能为空！");
        return;
    }
    if (!m_agree->IsSelected()) {
        Notice(L"请阅读用户协议并勾选同意");
        return;
    }
    m_shell.BeginWait();
    m_shell.Start(RegisterUser).Drop();
}

void SignupForm::OnSignupResult(WPARAM code, const std::wstring& text)
{
    m_shell.EndWait();
    if (code == msg::kSignupDone) {
        const SignupMembers& signup = m_shell.Client().signup;
        m_loginName->SetText(signup.signupName);
        m_loginPassword->SetText(signup.signupPassword);
        m_shell.SignIn();
        return;
    }
    ShowError(m_shell, text);
}

void SignupForm::Notice(const std::wstring& text)
{
    m_notice->SetText(text);
}

void SignupForm::SetMark(CControlUI* mark, Mark kind)
{
    mark->SetBkImage(kind == Mark::Ok ? kOkMark : kind == Mark::Error ? kErrorMark : L"");
}
