#pragma once

#include <string>

// The name rule of a single upload: 1 to 50 characters, each a digit, an
// ASCII letter, one of ()[]@_.- or a CJK ideograph (U+4E00-U+9FA5,
// U+F900-U+FA2D); the whole name must match.
bool IsAcceptedUploadName(const std::wstring& name);

// The part of a path after its last separator ("/" or "\").
std::wstring UploadFileName(const std::wstring& path);

inline constexpr const wchar_t* kUploadNameRefusedText
    = L"文件名只能包含数字、字母、中文、下划线组合，长度1~50个字符！";
inline constexpr const wchar_t* kChooseUploadTitle = L"请选择上传文件";
// Shown when the service has accepted an upload.
inline constexpr const wchar_t* kUploadDoneText = L"文件上传成功！";
