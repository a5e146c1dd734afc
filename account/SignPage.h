#pragma once

#include <memory>

#include "app/Page.h"

class IShell;
class ISignupForm;

namespace DuiLib {
class CButtonUI;
class CCheckBoxUI;
class CControlUI;
class CEditUI;
class CTabLayoutUI;
} // namespace DuiLib

// The sign-in page ("SignTab", page 0 of TabOfMainWnd): the login action, the
// tabs of TabOfSign, the remembered-login check boxes and the service captcha
// button. Everything else from "SignTab" goes to the registration form, when
// the build has one, with the form's messages.
class SignPage final : public IPage {
public:
    explicit SignPage(IShell& shell);
    ~SignPage() override;

    std::vector<std::wstring> Routes() const override { return { L"SignTab" }; }
    std::vector<UINT> Messages() const override;
    bool Bind(DuiLib::CPaintManagerUI& paint) override;
    bool OnNotify(DuiLib::TNotifyUI& notification) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSignedOut() override;

    // The login action: both fields must be filled; the remembered login is
    // saved or cleared; then the login task runs in the wait state.
    void SignIn();
    // At window initialisation: with remember_pwd set, the stored name and
    // password fill the fields (and the ClientManager) and the box is
    // checked; with auto_login set as well, the login action runs at once.
    void ApplyRememberedLogin();
    // The keyboard focus at start: the first empty field of the sign-in page.
    void FocusFirstField();
    // The password field emptied (a changed password is typed anew).
    void ForgetPassword();

    // The pages of TabOfSign.
    static constexpr int kSignInPage = 0;
    static constexpr int kSignupPage = 1;
    static constexpr int kPasswordResetPage = 2;

private:
    bool OnClick(const std::wstring& name);
    void OnRememberChanged();
    void OnAutoLoginChanged();
    void OnCaptchaButton();
    void OnCaptchaMessage(WPARAM code, LPARAM lParam);

    IShell& m_shell;
    std::unique_ptr<ISignupForm> m_signup;
    DuiLib::CTabLayoutUI* m_tabOfSign = nullptr;
    DuiLib::CEditUI* m_name = nullptr;
    DuiLib::CEditUI* m_password = nullptr;
    DuiLib::CCheckBoxUI* m_remember = nullptr;
    DuiLib::CCheckBoxUI* m_autoLogin = nullptr;
    DuiLib::CControlUI* m_captchaButton = nullptr;
    DuiLib::CControlUI* m_signupButton = nullptr;
};
