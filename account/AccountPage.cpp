#include "account/AccountPage.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "account/ProfileTasks.h"
#include "account/UserInfo.h"
#include "app/ClientManager.h"
#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/Shell.h"
#include "app/actions/CommerceActions.h"
#include "platform/Clipboard.h"
#include "platform/DebugLog.h"
#include "platform/FileDialog.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Utf8.h"
#include "ui/UIButton.h"
#include "ui/UIEdit.h"
#include "ui/UIManager.h"

using namespace DuiLib;

namespace {

// A profile answer that needs nothing of the window.
constexpr WPARAM kProfileNothing = 1169;

} // namespace

AccountPage::AccountPage(IShell& shell)
    : m_shell(shell)
{
}

std::vector<UINT> AccountPage::Messages() const
{
    return { msg::UM_USERINFO, msg::UM_PROFILE };
}

bool AccountPage::Bind(CPaintManagerUI& paint)
{
    m_userIcon = paint.FindControl(L"ConOfUserICON");
    m_fileButton = paint.FindControl(L"BtnOfFileSel");
    m_nickname = paint.FindControlAs<CEditUI>(L"EditOfNickName");
    m_nameInMainTab = paint.FindControl(L"LabOfUserNameInMainTab");
    m_balance = paint.FindControl(L"LabOfBalance");
    m_balanceInMainTab = paint.FindControl(L"LabOfBalanceInMainTab");
    m_invitationCode = paint.FindControlAs<CEditUI>(L"EditOfInvitationCode");
    m_oldPassword = paint.FindControlAs<CEditUI>(L"EditOfOldPwd");
    m_newPassword = paint.FindControlAs<CEditUI>(L"EditOfNewPwd");
    m_verifyPassword = paint.FindControlAs<CEditUI>(L"EditOfVerifyPwd");
    if (m_userIcon && m_fileButton) {
        m_defaultIcon = m_userIcon->GetBkImage();
        m_defaultFileButton = m_fileButton->GetBkImage();
    }
    if (m_nameInMainTab && m_balanceInMainTab) {
        m_defaultName = m_nameInMainTab->GetText();
        m_defaultBalance = m_balanceInMainTab->GetText();
    }
    return m_userIcon && m_fileButton && m_nickname && m_nameInMainTab && m_balance && m_balanceInMainTab
        && m_invitationCode && m_oldPassword && m_newPassword && m_verifyPassword
        && paint.FindControl(L"BtnOfSetUserInfo") && paint.FindControl(L"BtnOfChangePwd")
        && paint.FindControl(L"BtnOfLogOut") && paint.FindControl(L"BtnOfQuit");
}

bool AccountPage::OnNotify(TNotifyUI& notification)
{
    if (!notification.pSender || notification.sType != DUI_MSGTYPE_CLICK)
        return false;
    const std::wstring& name = notification.pSender->GetName();
    if (name == L"BtnOfFileSel")
        ChooseAvatar();
    else if (name == L"BtnOfSetUserInfo")
        SaveProfile();
    else if (name == L"BtnOfChangePwd")
        SubmitPasswordChange();
    else if (name == L"BtnOfLogOut")
        m_shell.SignOut();
    else if (name == L"BtnOfQuit")
        m_shell.RequestClose(msg::kCloseAsk);
    else if (name == L"BtnOfCopyInvitationCode")
        CopyInvitationCode();
    else if (name == L"BtnOfBuy")
        OpenRecharge();
    else
        return false;
    return true;
}

bool AccountPage::OnMessage(UINT id, WPARAM wParam, LPARAM lParam)
{
    if (id != msg::UM_USERINFO && id != msg::UM_PROFILE)
        return false;
    // Before anything reads the user's members.
    AdoptUserInfo(m_shell.Client());
    if (id == msg::UM_USERINFO)
        OnUserInfo(wParam, MessageText(lParam));
    else
        OnProfile(wParam, MessageText(lParam));
    return true;
}

void AccountPage::OnSignedIn()
{
    RefreshUserInfo();
}

void AccountPage::OnSigningOut()
{
    // Nothing asked for by the previous account runs for the next one, and
    // what runs (stopped by the session's token) has reported before the
    // page is emptied.
    for (TaskKind* kind : { &m_userInfoTasks, &m_avatarTasks }) {
        kind->DropQueued();
        kind->Wait(kSignOutTaskWait);
    }
    // Nothing a load of the previous account left waits for the next one.
    std::lock_guard lock(m_shell.Client().userInfoLoad.mutex);
    m_shell.Client().userInfoLoad.loaded.reset();
}

void AccountPage::OnSignedOut()
{
    for (CEditUI* edit : { m_oldPassword, m_newPassword, m_verifyPassword, m_nickname, m_invitationCode })
        edit->SetText(L"");
    m_nameInMainTab->SetText(m_defaultName);
    m_balanceInMainTab->SetText(m_defaultBalance);
    m_balanceInMainTab->SetToolTip(L"");
    m_balance->SetText(L"");
    m_balance->SetToolTip(L"");
    m_userIcon->SetBkImage(m_defaultIcon);
    m_fileButton->SetBkImage(m_defaultFileButton);
    m_avatarFile.clear();
}

void AccountPage::RefreshUserInfo()
{
    m_userInfoTasks.Start(m_shell.ClientRef(), ::RefreshUserInfo);
}

void AccountPage::OnUserInfo(WPARAM code, const std::wstring& text)
{
    switch (code) {
    case msg::kUserInfoLoaded: {
        const UserMembers& user = m_shell.Client().user;
        // Without a picture path there is nothing to fetch.
        if (!user.avatarPath.empty()) {
            m_avatarUserId = user.userId;
            m_avatarTasks.StartWith(
                m_shell.ClientRef(), DownloadAvatar, AvatarSource { user.avatarPath, user.userId });
        }
        ShowUserInfo();
        return;
    }
    case msg::kAvatarSaved:
        OnAvatarDownloaded();
        return;
    case msg::kAvatarFailed:
        // The previous picture stays.
        m_shell.GenericFailure(text);
        return;
    case msg::kUserInfoFailed:
        m_shell.GenericFailure(text);
        return;
    default:
        ShowError(m_shell, text);
    }
}

void AccountPage::OnAvatarDownloaded()
{
    const std::string userId = m_avatarUserId;
    const std::string download = AvatarDownloadPath(userId);
    const std::wstring file = AvatarFilePath(userId);
    const std::wstring downloadWide = file + L".download";

    // Only a picture the engine can read replaces the one on disk.
    std::error_code error;
    const auto size = std::filesystem::file_size(download, error);
    bool usable = !error && size > 0 && size <= static_cast<std::uintmax_t>(kLargestAvatarBytes);
    if (usable) {
        m_shell.Paint().RemoveImage(downloadWide);
        const SIZE pixels = m_shell.Paint().GetImageSize(downloadWide);
        m_shell.Paint().RemoveImage(downloadWide);
        usable = pixels.cx > 0 && pixels.cy > 0;
    }
    if (!usable) {
        DebugLogA("avatar download is no picture, not shown\n");
        const bool downloaded = IsRegularFile(download);
        DeleteOneFile(download);
        // Nothing there: a download of a previous sign-in went elsewhere.
        if (downloaded)
            m_shell.GenericFailure(kAvatarNotPictureText);
        return;
    }
    std::filesystem::rename(download, Utf8OfWide(file), error);
    if (error) {
        DeleteOneFile(download);
        return;
    }
    // The same name as before: the engine must read the new file.
    m_shell.Paint().RemoveImage(file);
    m_userIcon->SetBkImage(L"");
    m_userIcon->SetBkImage(file);
    m_fileButton->SetBkImage(file);
    m_avatarFile.clear();
}

void AccountPage::ShowUserInfo()
{
    const UserMembers& user = m_shell.Client().user;
    m_nameInMainTab->SetText(user.nickname);
    m_nickname->SetText(user.nickname);
    const std::wstring file = AvatarFilePath(user.userId);
    if (IsRegularFile(Utf8OfWide(file))) {
        m_userIcon->SetBkImage(file);
        m_fileButton->SetBkImage(file);
    } else if (m_userIcon->GetBkImage() != m_defaultIcon) {
        // Never the picture of the user signed in before.
        m_userIcon->SetBkImage(m_defaultIcon);
        m_fileButton->SetBkImage(m_defaultFileButton);
    }
    m_balance->SetText(user.pointsWholeText);
    m_balanceInMainTab->SetText(L"可用积分 " + user.pointsWholeText);
    m_invitationCode->SetText(user.myInviteCode);
}

void AccountPage::ChooseAvatar()
{
    m_avatarFile = ChooseFile(m_shell.Owner(), L"请选择头像图片");
    if (!m_avatarFile.empty())
        ShowPicture(m_avatarFile);
}

void AccountPage::ShowPicture(const std::wstring& file)
{
    m_shell.Paint().RemoveImage(file);
    m_fileButton->SetBkImage(file);
}

void AccountPage::SaveProfile()
{
    const std::wstring nickname = m_nickname->GetText();
    if (nickname.empty()) {
        ShowError(m_shell, L"昵称不能为空！");
        return;
    }
    // The task gets its own copies: a new choice or answer meanwhile does
    // not change what it reads.
    m_userInfoTasks.StartWith(m_shell.ClientRef(), SetUserInfo,
        ProfileChange { m_shell.Client().user.nickname, nickname, m_avatarFile });
}

void AccountPage::SubmitPasswordChange()
{
    const std::wstring oldPassword = m_oldPassword->GetText();
    const std::wstring newPassword = m_newPassword->GetText();
    const std::wstring verify = m_verifyPassword->GetText();
    if (oldPassword.empty() || newPassword.empty() || verify.empty()) {
        ShowError(m_shell, L"密码不能为空！");
        return;
    }
    if (newPassword != verify) {
        ShowError(m_shell, L"密码输入不一致");
        return;
    }
    m_userInfoTasks.StartWith(
        m_shell.ClientRef(), ChangePassword, PasswordChange { m_shell.Client().user.loginPassword, verify });
}

void AccountPage::OnProfile(WPARAM code, const std::wstring& text)
{
    switch (code) {
    case msg::kProfileSaved:
        RefreshUserInfo();
        return;
    case msg::kProfileFailed:
        m_shell.GenericFailure(text);
        return;
    case msg::kPasswordChanged:
        m_shell.ShowSignIn();
        // The passwords just typed are not left on the page.
        m_oldPassword->SetText(L"");
        m_newPassword->SetText(L"");
        m_verifyPassword->SetText(L"");
        return;
    case kProfileNothing:
        return;
    default:
        ShowError(m_shell, text);
    }
}

void AccountPage::OpenRecharge()
{
    m_shell.Commerce().ShowGoods(Goods::Points);
}

void AccountPage::CopyInvitationCode()
{
    m_invitationCode->SetSelAll();
    SetClipboardText(m_invitationCode->GetText());
}
