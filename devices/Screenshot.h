#pragma once

#include <string>
#include <string_view>

#include "app/Task.h"

// Device screenshots: fetched from "/api/qtz/front_device_capture", stored as
// a 160 × 240 JPEG per device in the image cache, shown by the tiles.

inline constexpr int kScreenshotWidth = 160;
inline constexpr int kScreenshotHeight = 240;

// The file name (without folder) for a device id: the id + ".jpeg" when the
// id is a plain name (letters, digits, "_", "-", "." not leading, at most 64
// characters); any other id is written as "@" + the hex of its UTF-8 bytes
// (long ones hashed), so no id can name a path outside the cache folder.
std::wstring ScreenshotFileName(std::wstring_view deviceId);
// The image cache folder + ScreenshotFileName, wide (for the UI) and 8-bit.
std::wstring ScreenshotFilePath(std::wstring_view deviceId);
std::string ScreenshotFilePathNarrow(std::wstring_view deviceId);

// Decodes an image of any format the platform reads, draws it stretched into
// 160 × 240 RGB pixels and writes it as JPEG to `path`, replacing the file
// only once the new one is complete. False (and the old file kept) when the
// bytes are not an image or the file cannot be written.
bool StoreScreenshotImage(std::string_view imageBytes, const std::string& path);

// Fetches one device's screen (any worker thread): "&id=" + its id. Success
// stores the picture (when the payload has "base64") and marks the device
// online; a refusal by the service marks it offline; a transfer failure
// changes nothing. False unless the service answered with success and a
// payload. The record is touched only if the list still holds the same
// device at that index.
bool FetchScreenshot(ClientManager& owner, int deviceIndex);
// Capture transfers in flight at once, over all tiles; the others wait.
inline constexpr int kScreenshotTransfers = 8;

// The task of the screenshot button: FetchScreenshot, then posts UM_DEVICES
// 1138 (success) or 1139 (failure) with the device index.
void UpdateScreenshot(ClientManager& owner, TaskArg deviceIndex);
