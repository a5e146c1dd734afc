#pragma once

#include <string>

// The identity and session of the user, as the sign-in and the profile
// features keep them in the ClientManager.
struct UserMembers {
    // Inputs of the login task, copied from the sign-in fields before it starts.
    std::wstring loginName;
    std::wstring loginPassword;

    // 2: not logged in (also after a successful logout); 1: logged in.
    int loginState = 2;

    // Base name of the service captcha picture in the per-user folder: the
    // time of its request in seconds since 1970, in decimal.
    std::wstring captchaName;

    // The user information the service returns.
    std::string userId;
    std::wstring nickname;
    std::wstring avatarPath;
    std::wstring pointsText;       // the balance as the service wrote it
    double pointsValue = 0;
    long long pointsWhole = 0;     // the balance truncated toward zero
    std::wstring pointsWholeText;
    std::wstring myInviteCode;

    // Inputs of the profile and password changes.
    std::wstring newNickname;
    std::wstring newPassword;
};

inline constexpr int kLoginStateLoggedIn = 1;
inline constexpr int kLoginStateLoggedOut = 2;
