#pragma once

#include <string>

class ClientManager;

// The texts the update reports with UM_STARTUP.
inline constexpr const wchar_t* kUpdateNoneText = L"已经是最新版本！";
inline constexpr const wchar_t* kUpdateFailedText = L"获取新版本失败！";
inline constexpr const wchar_t* kUpdateDoneText = L"下载完成！";

// The first step of the start-up task, on its thread: asks the service
// whether a newer version exists; when one does, reports kUpdateDownloading,
// downloads the installer with progress, writes and starts the hand-off and
// reports kUpdateHandedOff (the window then quits). Anything short of an
// offer, including an unreachable service, reports kUpdateNone; an offer
// without address or a failed download reports kUpdateFailed. True when the
// hand-off is started, so the start-up task ends without going on.
bool RunUpdateCheck(ClientManager& owner);

// Downloads the installer at `url` (code page 936) into `folder` + "updata.exe",
// reporting kUpdateProgress, then writes the hand-off scripts and starts the
// sh one. The file is first written under a temporary name and renamed only
// once the transfer completed with status 200: a failed or cut-off download
// leaves no half installer, and the hand-off starts only a whole one.
bool DownloadAndHandOff(ClientManager& owner, const std::string& url, const std::string& folder);

// The temporary name of the installer while it downloads.
inline constexpr const char* kInstallerPartFileName = "updata.exe.part";
