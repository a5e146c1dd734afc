#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Task.h"
#include "market/CatalogueMembers.h"

struct DeviceRecord;

// Task: marks one app for installation (bproxyed = 1), then LoadSelectedApps.
// The argument is the app id.
void SelectApp(ClientManager& owner, TaskArg argument);
// Task: clears the mark of one app, or of every app for the id -1
// (AllAppsArgument), then LoadSelectedApps.
void UnselectApp(ClientManager& owner, TaskArg argument);
TaskArg AppIdArgument(std::int32_t appId);
inline constexpr std::int32_t kAllApps = -1;

// Reloads SelectedApps from the marks, sends UM_LOCAL_APPS 1295, then runs the
// last list query again so the boxes on screen show the marks.
void LoadSelectedApps(ClientManager& owner, TaskArg argument = 0);

// The device part of the install and upload requests: the id of every
// selected device followed by ",", in list order. An id that would break
// the form (holding "&", "=" or ",") is left out.
std::wstring SelectedDeviceIds(const std::vector<DeviceRecord>& devices);
// The install body: "id=" + device ids + "&app_id=" + app ids, each followed
// by ",".
std::wstring InstallBody(const std::vector<DeviceRecord>& devices, const std::vector<AppRecord>& apps);

// Task: the install request.
// Sends UM_APP_INSTALL 1265 with the service's message, or 1266 with the
// failure text.
struct InstallRequest {
    std::wstring body;
};
void InstallSelectedApps(ClientManager& owner, InstallRequest& request);

// Task: the upload of one app package. Progress goes as UM_APP_UPLOAD 1275 with whole percentages;
// 1276 when the service accepted it; 1277 with the text to show first (empty
// when there is none) when it failed.
struct AppUpload {
    std::string path; // UTF-8 full name
    std::wstring deviceIds;
};
void UploadLocalApp(ClientManager& owner, AppUpload& upload);

// The progress callback of the upload transfer (libcurl's transfer-info
// form; `owner` is the ClientManager). Always 0: go on.
int ReportUploadProgress(void* owner, std::int64_t downloadTotal, std::int64_t downloaded,
    std::int64_t uploadTotal, std::int64_t uploaded);
// The whole percentage of sent of total (0 while the total is 0).
int UploadPercentage(std::int64_t total, std::int64_t sent);

// Task: deletes the user's ticked uploaded apps on the service and, once it
// agreed, in the catalogue; then reloads the user's apps and the selection.
// The user id is the window's at the start, not read on the worker.
struct AppDeletion {
    std::vector<std::int32_t> ids;
    std::string userId;
};
void DeleteLocalApps(ClientManager& owner, AppDeletion& deletion);
