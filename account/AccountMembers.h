#pragma once

#include <mutex>
#include <optional>
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
    std::wstring pointsText; // the balance as the service wrote it
    double pointsValue = 0;
    long long pointsWhole = 0; // the balance truncated toward zero
    std::wstring pointsWholeText;
    std::wstring myInviteCode;
};

// What one user information answer carried: each member only when the
// answer had it as a JSON string.
struct UserInfoFields {
    std::optional<std::string> userId;
    std::optional<std::wstring> nickname;
    std::optional<std::wstring> avatarPath;
    std::optional<std::wstring> myInviteCode;
    std::optional<std::wstring> pointsText;
    // "qtz_point" was there: the whole balance is taken anew.
    bool wholePoints = false;
};

// The user's members are the window thread's: a load leaves what it read
// here (under `mutex`) before it reports, and the window takes it into the
// members when it handles that report.
struct UserInfoHandOff {
    std::mutex mutex;
    std::optional<UserInfoFields> loaded;
};

inline constexpr int kLoginStateLoggedIn = 1;
inline constexpr int kLoginStateLoggedOut = 2;
