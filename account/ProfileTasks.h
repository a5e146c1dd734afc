#pragma once

#include <string>

#include "app/Task.h"

// The profile's tasks; each assigns the cookie jar before its request.

// Posts an empty text to "/api/qtz/front_user_get_info" and reads the
// payload with ParseUserInfo; UM_USERINFO 1145 or 1146.
void RefreshUserInfo(ClientManager& owner, TaskArg argument);
// Downloads the picture at avatarPath into AvatarDownloadPath(userId);
// UM_USERINFO 1158, or 1159 (an empty text when the picture was too large).
void DownloadAvatar(ClientManager& owner, TaskArg argument);
// The argument owns the chosen picture path (std::wstring, possibly empty).
// Posts nickname, the picture as Base64 lines and an empty comment, all in
// UTF-8; nothing at all when the nickname is unchanged and no picture could
// be read. UM_PROFILE 1165 or 1166.
void SetUserInfo(ClientManager& owner, TaskArg argument);
// Proves the change with loginPassword; UM_PROFILE 1168, 0 refused, 1166.
void ChangePassword(ClientManager& owner, TaskArg argument);

// The picture text of a file: Base64 in lines of 64, each ended by CR LF;
// empty when the file cannot be read (or is empty).
std::string PictureText(const std::wstring& file);

// The largest picture the client downloads.
inline constexpr long long kLargestAvatarBytes = 8LL * 1024 * 1024;
