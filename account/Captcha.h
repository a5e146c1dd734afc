#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/Task.h"

class IShell;

// The registration form's picture code, drawn here: 4 characters of the
// pool, bent, over coloured noise, inverted.
inline constexpr int kCaptchaWidth = 130;
inline constexpr int kCaptchaHeight = 50;
inline constexpr std::size_t kCaptchaRowBytes = 392; // 130 × 3, padded to a multiple of 4
inline constexpr std::size_t kCaptchaPixelBytes = kCaptchaRowBytes * kCaptchaHeight;
inline constexpr std::size_t kBitmapHeaderBytes = 54;
// The pool as it stands: "S" twice, no "0" and no "X".
inline constexpr const char* kCaptchaPool = "1keosRS435Vrlqt9jwUBIzAhnv2pab67imuLWPfgxK8yJGDEOHcdTCMNYSQFZ";
inline constexpr int kCaptchaPoolSize = 61;

struct CaptchaPicture {
    std::wstring code;
    // 24-bit pixels in bitmap order: rows bottom-up, blue-green-red, each row
    // padded to kCaptchaRowBytes. Empty when nothing could be drawn.
    std::vector<unsigned char> pixels;
};

// Seeds the C runtime generator with the time in seconds, so two pictures
// made within one second are the same. UI thread only (the generator is the
// process's).
CaptchaPicture MakeCaptchaPicture();
// The same with a given seed.
CaptchaPicture MakeCaptchaPicture(unsigned seed);

// The picture as a bitmap file (54-byte headers, then the pixels); empty
// when the picture is not complete.
std::vector<unsigned char> CaptchaBitmapFile(const CaptchaPicture& picture);

// Draws a new picture for the registration form and shows it on
// BtnOfPicCaptcha through the shared image "ImageOfVerify"; the form's typed
// code and its check mark are cleared. False when no picture could be made:
// the button keeps the previous one and the expected code stays.
bool RefreshPictureCaptcha(IShell& shell);

// The service captcha of the (hidden) sign-in captcha row: downloads
// "/api/index/captcha" into the per-user folder as captchaName + ".png";
// reports UM_CAPTCHA 1085 (saved) or 1086 with the failure text. The window
// names the picture (CaptchaName, kept in captchaName) when it starts the
// task, so the task never touches the user's members.
void FetchCaptcha(ClientManager& owner, std::wstring& captchaName);
// A new captcha picture's name: the time in seconds since 1970, in decimal.
std::wstring CaptchaName();

// Per-user folder + name + ".png" (wide).
std::wstring CaptchaFilePath(const std::wstring& captchaName);
