#pragma once

#include <string>

// The registration form's scratch state: what was last sent for each check
// and whether the service (or the local rule) accepted it.
struct SignupMembers {
    std::wstring signupName;
    bool signupNameOk = false;
    std::wstring signupPassword; // stored only when both password fields agree
    bool signupPasswordOk = false;
    std::wstring expectedPictureCode;
    bool pictureCodeOk = false;
    std::wstring signupPhone;
    bool signupPhoneOk = false;
    std::wstring smsResultText;
    int smsCountdown = 0; // seconds before a new SMS code may be requested
    std::wstring smsCode;
    std::wstring inviteCode;
};
