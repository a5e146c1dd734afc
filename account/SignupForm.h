#pragma once

#include <string>

#include "account/SignupHooks.h"

namespace DuiLib {
class CButtonUI;
class CCheckBoxUI;
class CControlUI;
class CEditUI;
class CLabelUI;
} // namespace DuiLib

// The registration form (page 1 of TabOfSign): each field is checked when it
// loses the focus, with one notice line and a check mark beside the field;
// the name and the phone number are asked of the service; the phone gets an
// SMS code with a 120-second countdown; a registration logs in at once.
class SignupForm final : public ISignupForm {
public:
    explicit SignupForm(IShell& shell);

    bool Bind(DuiLib::CPaintManagerUI& paint) override;
    void Prepare() override { PrepareSignupForm(); }
    bool OnNotify(DuiLib::TNotifyUI& notification) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void PrepareSignupForm();
    void CheckSignupName();
    void CheckSignupPasswords();
    void CheckPictureCode();
    void CheckPhoneNumber(const std::wstring& text);
    void SubmitSignup();

private:
    enum class Mark { None, Ok, Error };

    bool OnClick(const std::wstring& name);
    bool OnKillFocus(DuiLib::CControlUI* sender);
    bool OnSetFocus(DuiLib::CControlUI* sender);
    void OnPhoneTextChanged();
    void RequestSmsCode();
    void CountdownTick();

    void OnNameVerified();
    void OnPhoneVerified(const std::wstring& text);
    void OnSmsSent(const std::wstring& text);
    void OnSignupResult(WPARAM code, const std::wstring& text);

    void Notice(const std::wstring& text);
    static void SetMark(DuiLib::CControlUI* mark, Mark kind);

    IShell& m_shell;
    // Disabling an edit that has the focus reports its "killfocus" at once;
    // a check that disables its own field must not run again inside.
    bool m_inCheck = false;

    DuiLib::CLabelUI* m_notice = nullptr;
    DuiLib::CEditUI* m_name = nullptr;
    DuiLib::CControlUI* m_nameMark = nullptr;
    DuiLib::CEditUI* m_password = nullptr;
    DuiLib::CControlUI* m_passwordMark = nullptr;
    DuiLib::CEditUI* m_rePassword = nullptr;
    DuiLib::CControlUI* m_rePasswordMark = nullptr;
    DuiLib::CEditUI* m_pictureCode = nullptr;
    DuiLib::CControlUI* m_pictureCodeMark = nullptr;
    DuiLib::CEditUI* m_phone = nullptr;
    DuiLib::CControlUI* m_phoneMark = nullptr;
    DuiLib::CEditUI* m_smsCode = nullptr;
    DuiLib::CControlUI* m_smsCodeMark = nullptr;
    DuiLib::CControlUI* m_smsButton = nullptr;
    DuiLib::CEditUI* m_invitation = nullptr;
    DuiLib::CCheckBoxUI* m_agree = nullptr;
    DuiLib::CEditUI* m_loginName = nullptr;
    DuiLib::CEditUI* m_loginPassword = nullptr;
};
