#pragma once

#include <string>

#include "app/Task.h"

// The profile's tasks; each assigns the cookie jar before its request. None
// touches owner.user: what an answer says about the user is left in
// owner.userInfoLoad for the window, which takes it with AdoptUserInfo when
// it handles the task's report.

// Posts an empty text to "/api/qtz/front_user_get_info" and reads the
// payload with ReadUserInfo; UM_USERINFO 1145 or 1146.
void RefreshUserInfo(ClientManager& owner, TaskArg argument);
// Window thread, on UM_USERINFO and UM_PROFILE (any code): the answer a task
// left becomes the user's members; nothing changes when none is waiting.
void AdoptUserInfo(ClientManager& owner);
// What a picture download works on, copied when it starts: a user
// information load running meanwhile rewrites the user's members.
struct AvatarSource {
    std::wstring path; // avatarPath
    std::string userId;
};
// Downloads the picture at its path into
// AvatarDownloadPath(userId); UM_USERINFO 1158, or 1159 with the text to
// show (kAvatarTooLargeText for a picture past the limit).
void DownloadAvatar(ClientManager& owner, AvatarSource& source);
// What a profile save works on, copied by the window when it asks for it.
struct ProfileChange {
    std::wstring nickname; // the user's nickname then
    std::wstring newNickname; // the one typed
    std::wstring avatarFile; // the chosen picture path (possibly empty)
};
// Posts the new nickname, the picture as Base64 lines and an empty comment,
// all in UTF-8; nothing at all when the nickname is unchanged and no picture
// could be read. UM_PROFILE 1165 or 1166.
void SetUserInfo(ClientManager& owner, ProfileChange& change);
// What a password change works on, copied by the window when it asks for it.
struct PasswordChange {
    std::wstring loginPassword; // proves the change
    std::wstring newPassword;
};
// UM_PROFILE 1168, 0 refused, 1166.
void ChangePassword(ClientManager& owner, PasswordChange& change);

// The picture text of a file: Base64 in lines of 64, each ended by CR LF;
// empty when the file cannot be read (or is empty).
std::string PictureText(const std::wstring& file);

// The largest picture the client downloads.
inline constexpr long long kLargestAvatarBytes = 8LL * 1024 * 1024;

// What a picture that cannot be shown says; the previous picture stays.
inline constexpr const wchar_t* kAvatarTooLargeText = L"头像图片超过 8 MB，无法显示！";
inline constexpr const wchar_t* kAvatarNotPictureText = L"下载的头像不是可以显示的图片！";
