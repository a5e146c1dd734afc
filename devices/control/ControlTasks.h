#pragma once

#include <chrono>
#include <string>

#include "app/Task.h"
#include "platform/WindowHandle.h"

class ClientManager;

// Task routines of device control; each runs on its own worker (app/Task.h)
// with a device index as its argument unless said otherwise.

// What a play task is given by the window: the device index and the
// signed-in user's id as the window has it at the start. The window takes
// in a user-information answer while a play runs, so the play never reads
// owner.user on its worker.
struct PlayRequest {
    int device = 0;
    std::string userId;
};

// Opens one device in the player and waits for the player to end.
void PlayDevice(ClientManager& owner, PlayRequest& request);
// Opens every selected device (at least two) in the synchronised-control
// program and waits for it to end; the user id as for PlayDevice.
void PlayDevicesInSync(ClientManager& owner, std::string& userId);
// Reboot and reset: the request, then a screenshot every poll interval until
// the device answers (or the user signs out, or the window is gone).
void RebootDevice(ClientManager& owner, TaskArg deviceIndex);
void ResetDevice(ClientManager& owner, TaskArg deviceIndex);
// Sends the device's upload_path to it, with progress to its tile.
void UploadToDevice(ClientManager& owner, TaskArg deviceIndex);
// Sends the file at the 8-bit path to every selected device.
void UploadToSelectedDevices(ClientManager& owner, std::string& path);

// Asks every open player, and the synchronised-control program, to close.
void CloseAllPlayersOf(ClientManager& owner);
// Only the players.
void ClosePlayersOf(ClientManager& owner);
// The device's player_open flag, read under the list lock (the play task
// writes it).
bool PlayerOpenOf(ClientManager& owner, int deviceIndex);
// Asks the device's player to close, when it is open.
void ClosePlayerOf(ClientManager& owner, int deviceIndex);
// Asks the synchronised-control program to close and forgets its window.
void CloseSyncProgramOf(ClientManager& owner);
bool SyncProgramRuns(ClientManager& owner);

// The open-file dialog with the upload title; empty when cancelled.
std::wstring ChooseUploadFile(WindowHandle owner);

inline constexpr std::chrono::milliseconds kRebootPollInterval { 5000 };
inline constexpr std::chrono::milliseconds kProgramWindowLimit { 5000 };
void SetRebootPollIntervalForTesting(std::chrono::milliseconds interval);

// Texts the workers show.
inline constexpr const wchar_t* kTooFewForSyncText = L"至少选中2个设备！";
inline constexpr const wchar_t* kTooManyForSyncText = L"选中的设备太多，无法同时群控，请减少选中的设备！";
inline constexpr const wchar_t* kPlayPayloadMissingText = L"解析设备数据错误！请重试。";
