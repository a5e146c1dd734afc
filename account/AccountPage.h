#pragma once

#include <string>

#include "app/Page.h"
#include "app/TaskKind.h"
#include "app/actions/AccountActions.h"

class IShell;

namespace DuiLib {
class CControlUI;
class CEditUI;
} // namespace DuiLib

// The account page ("AccountTab", page 0 of TabOfMain): the user's picture,
// nickname, balance and password change, log-out and quit; the user's
// information on the main page's left column; and the invitation code of the
// purchase page, copied to the clipboard.
class AccountPage final : public IPage, public IAccountActions {
public:
    explicit AccountPage(IShell& shell);

    std::vector<std::wstring> Routes() const override { return { L"AccountTab", L"BuyTab" }; }
    std::vector<UINT> Messages() const override;
    bool Bind(DuiLib::CPaintManagerUI& paint) override;
    bool OnNotify(DuiLib::TNotifyUI& notification) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSignedIn() override;
    void OnSigningOut() override;
    // Nothing of the account signed out stays on the page: passwords typed,
    // its name, balance, picture and a picture chosen but not saved.
    void OnSignedOut() override;

    // IAccountActions: starts the refresh without the wait state.
    void RefreshUserInfo() override;

    void ShowUserInfo();
    void ChooseAvatar();
    void SaveProfile();
    void SubmitPasswordChange();
    void CopyInvitationCode();
    // 获取积分: the purchase page on the recharge goods.
    void OpenRecharge();

    // The picture chosen and not yet shown as the saved one, sent with the
    // next save; a sign-out drops it (it is the previous account's).
    const std::wstring& avatarFile() const { return m_avatarFile; }

private:
    void OnUserInfo(WPARAM code, const std::wstring& text);
    void OnProfile(WPARAM code, const std::wstring& text);
    void OnAvatarDownloaded();
    void ShowPicture(const std::wstring& file);

    IShell& m_shell;
    // The user information's tasks (load, profile save, password change)
    // all hand over the user's members: one at a time, a request while one runs
    // waits and runs once after it. The same for the picture download, which
    // writes one file.
    TaskKind m_userInfoTasks { TaskKind::Policy::RunOnceAfter };
    TaskKind m_avatarTasks { TaskKind::Policy::RunOnceAfter };
    // The user whose picture was last asked for.
    std::string m_avatarUserId;
    std::wstring m_avatarFile;
    // The skin's pictures, for a user whose own picture is not (yet) here.
    std::wstring m_defaultIcon;
    std::wstring m_defaultFileButton;
    // The skin's texts of the main page's left column.
    std::wstring m_defaultName;
    std::wstring m_defaultBalance;

    DuiLib::CControlUI* m_userIcon = nullptr;
    DuiLib::CControlUI* m_fileButton = nullptr;
    DuiLib::CEditUI* m_nickname = nullptr;
    DuiLib::CControlUI* m_nameInMainTab = nullptr;
    DuiLib::CControlUI* m_balance = nullptr;
    DuiLib::CControlUI* m_balanceInMainTab = nullptr;
    DuiLib::CEditUI* m_invitationCode = nullptr;
    DuiLib::CEditUI* m_oldPassword = nullptr;
    DuiLib::CEditUI* m_newPassword = nullptr;
    DuiLib::CEditUI* m_verifyPassword = nullptr;
};
