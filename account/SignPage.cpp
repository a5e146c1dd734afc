#include "account/SignPage.h"

#include "account/Captcha.h"
#include "account/Login.h"
#include "account/SignupHooks.h"
#include "app/ClientManager.h"
#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/SettingsFile.h"
#include "app/Shell.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Utf8.h"
#include "ui/UICheckBox.h"
#include "ui/UIEdit.h"
#include "ui/UIManager.h"
#include "ui/UITabLayout.h"

using namespace DuiLib;

SignPage::SignPage(IShell& shell)
    : m_shell(shell)
    , m_signup(CreateSignupForm(shell))
{
}

SignPage::~SignPage() = default;

std::vector<UINT> SignPage::Messages() const
{
    return { msg::UM_LOGIN, msg::UM_LOGOUT, msg::UM_CAPTCHA, msg::UM_SIGNUP, msg::UM_VERIFY_NAME,
        msg::UM_VERIFY_PHONE, msg::UM_SMS_SENT };
}

bool SignPage::Bind(CPaintManagerUI& paint)
{
    m_tabOfSign = paint.FindControlAs<CTabLayoutUI>(L"TabOfSign");
    m_name = paint.FindControlAs<CEditUI>(L"EditOfLoginName");
    m_password = paint.FindControlAs<CEditUI>(L"EditOfLoginPwd");
    m_remember = paint.FindControlAs<CCheckBoxUI>(L"CBoxOfRememberPwd");
    m_autoLogin = paint.FindControlAs<CCheckBoxUI>(L"CBoxOfAutoLogin");
    m_captchaButton = paint.FindControl(L"BtnOfSigninCaptcha");
    m_signupButton = paint.FindControl(L"BtnOfSignup");
    const bool bound = m_tabOfSign && m_name && m_password && m_remember && m_autoLogin && m_captchaButton
        && m_signupButton && paint.FindControl(L"BtnOfLogin");
    return bound && (!m_signup || m_signup->Bind(paint));
}

bool SignPage::OnNotify(TNotifyUI& notification)
{
    if (!notification.pSender)
        return false;
    const std::wstring& name = notification.pSender->GetName();
    const std::wstring& type = notification.sType;
    if (type == DUI_MSGTYPE_CLICK && OnClick(name))
        return true;
    if (type == DUI_MSGTYPE_TABSELECT && notification.pSender == m_tabOfSign) {
        m_signupButton->SetFocus();
        return true;
    }
    if (type == DUI_MSGTYPE_RETURN && notification.pSender == m_password) {
        SignIn();
        return true;
    }
    if (type == DUI_MSGTYPE_RETURN && notification.pSender == m_name) {
        m_password->SetFocus();
        return true;
    }
    if (type == DUI_MSGTYPE_SELECTCHANGED && notification.pSender == m_remember) {
        OnRememberChanged();
        return true;
    }
    if (type == DUI_MSGTYPE_SELECTCHANGED && notification.pSender == m_autoLogin) {
        OnAutoLoginChanged();
        return true;
    }
    return m_signup && m_signup->OnNotify(notification);
}

bool SignPage::OnClick(const std::wstring& name)
{
    if (name == L"BtnOfLogin") {
        SignIn();
    } else if (name == L"BtnOfSignupTab") {
        if (m_signup)
            m_signup->Prepare();
        m_tabOfSign->SelectItem(kSignupPage);
    } else if (name == L"BtnOfPwdResetTab") {
        m_tabOfSign->SelectItem(kPasswordResetPage);
    } else if (name == L"BtnOfLoginTab") {
        m_tabOfSign->SelectItem(kSignInPage);
    } else if (name == L"BtnOfSigninCaptcha") {
        OnCaptchaButton();
    } else {
        return false;
    }
    return true;
}

bool SignPage::OnMessage(UINT id, WPARAM wParam, LPARAM lParam)
{
    switch (id) {
    case msg::UM_LOGIN:
        OnLoginResult(m_shell, MessageText(lParam));
        return true;
    case msg::UM_LOGOUT:
        OnLogoutResult(m_shell, MessageText(lParam));
        return true;
    case msg::UM_CAPTCHA:
        OnCaptchaMessage(wParam, lParam);
        return true;
    default:
        return m_signup && m_signup->OnMessage(id, wParam, lParam);
    }
}

void SignPage::OnSignedOut()
{
    if (m_signup)
        m_signup->OnSignedOut();
}

void SignPage::ForgetPassword()
{
    m_password->SetText(L"");
}

void SignPage::SignIn()
{
    const std::wstring name = m_name->GetText();
    if (name.empty()) {
        MessageBox(L"用户名不能为空！", L"错误");
        return;
    }
    UserMembers& user = m_shell.Client().user;
    user.loginName = name;
    const std::wstring password = m_password->GetText();
    if (password.empty()) {
        MessageBox(L"密码不能为空！", L"错误");
        return;
    }
    user.loginPassword = password;

    const SettingsFile settings = SettingsFile::OfLocalPaths();
    if (m_remember->IsSelected())
        settings.SaveRememberedLogin(name, password);
    else
        settings.ClearRememberedLogin();

    // A state left at 1 by a logout that failed or by an expired session
    // would make a refused login look like a success.
    user.loginState = kLoginStateLoggedOut;
    m_shell.BeginWait();
    m_shell.Start(RequestLogin).Drop();
}

void SignPage::ApplyRememberedLogin()
{
    const SettingsFile settings = SettingsFile::OfLocalPaths();
    const SettingsFile::RememberedLogin remembered = settings.ReadRememberedLogin();
    if (!remembered.remembered)
        return;
    UserMembers& user = m_shell.Client().user;
    user.loginName = remembered.name;
    user.loginPassword = remembered.password;
    m_name->SetText(remembered.name);
    m_password->SetText(remembered.password);
    // The fields already hold what the box would save.
    m_remember->SetCheck(true, false);
    if (settings.AutoLogin())
        SignIn();
}

void SignPage::FocusFirstField()
{
    // Typing goes where it is needed: the first empty field, or 登录 when a
    // remembered login filled both.
    if (m_name->GetText().empty())
        m_name->SetFocus();
    else if (m_password->GetText().empty())
        m_password->SetFocus();
    else if (CControlUI* login = m_shell.Paint().FindControl(L"BtnOfLogin"))
        login->SetFocus();
}

void SignPage::OnRememberChanged()
{
    const SettingsFile settings = SettingsFile::OfLocalPaths();
    if (m_remember->IsSelected())
        settings.SaveRememberedLogin(m_name->GetText(), m_password->GetText());
    else
        settings.ClearRememberedLogin();
}

void SignPage::OnAutoLoginChanged()
{
    const SettingsFile settings = SettingsFile::OfLocalPaths();
    if (!m_autoLogin->IsSelected()) {
        settings.SetAutoLogin(false);
        return;
    }
    // Checking the box saves the name and the password.
    if (!m_remember->IsSelected())
        m_remember->SetCheck(true);
    settings.SetAutoLogin(true);
}

void SignPage::OnCaptchaButton()
{
    std::wstring& captchaName = m_shell.Client().user.captchaName;
    if (!captchaName.empty())
        DeleteOneFile(Utf8OfWide(CaptchaFilePath(captchaName)));
    captchaName = CaptchaName();
    m_shell.BeginWait();
    m_shell.StartWith(FetchCaptcha, std::wstring(captchaName)).Drop();
}

void SignPage::OnCaptchaMessage(WPARAM code, LPARAM lParam)
{
    m_shell.EndWait();
    if (code == msg::kCaptchaSaved) {
        const std::wstring file = CaptchaFilePath(m_shell.Client().user.captchaName);
        // A picture fetched twice within a second has the same name: read it again.
        m_shell.Paint().RemoveImage(file);
        m_captchaButton->SetBkImage(file);
        return;
    }
    ShowError(m_shell, MessageText(lParam));
}
