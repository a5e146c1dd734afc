#include "market/AppInstall.h"

#include <curl/curl.h>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "devices/DeviceMembers.h"
#include "market/AppQueries.h"
#include "market/Catalogue.h"
#include "net/ClusterCurl.h"
#include "net/NumberText.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"
#include "platform/DebugLog.h"

namespace {

constexpr const char* kSelectedAppsQuery
    = "select t_subtype.name,t_game.type,t_game.gamename,t_game.id,t_game.bproxyed from t_game,t_subtype "
      "where "
      "t_game.type = t_subtype.id and t_game.bproxyed = 1";

void LogMarkUpdate(bool ok)
{
    DebugLogA(ok ? "UPDATE t_game SET bproxyed OK! \n" : "UPDATE t_game SET bproxyed FAILED! \n");
}

struct UploadProgress {
    ClientManager* owner = nullptr;
    int lastPercentage = -1;
};

int TransferInfo(
    void* data, curl_off_t downloadTotal, curl_off_t downloaded, curl_off_t uploadTotal, curl_off_t uploaded)
{
    auto* progress = static_cast<UploadProgress*>(data);
    const int percentage = UploadPercentage(uploadTotal, uploaded);
    // Only a change is worth a message: libcurl calls many times a second.
    if (percentage != progress->lastPercentage) {
        progress->lastPercentage = percentage;
        ReportUploadProgress(progress->owner, downloadTotal, downloaded, uploadTotal, uploaded);
    }
    return 0;
}

} // namespace

TaskArg AppIdArgument(std::int32_t appId)
{
    return static_cast<TaskArg>(static_cast<std::intptr_t>(appId));
}

void SelectApp(ClientManager& owner, TaskArg argument)
{
    const auto id = static_cast<std::int32_t>(static_cast<std::intptr_t>(argument));
    if (UsableDatabase(owner))
        LogMarkUpdate(owner.catalogue.database.Execute(
            "UPDATE t_game SET bproxyed = 1 WHERE id = " + std::to_string(id)));
    LoadSelectedApps(owner);
}

void UnselectApp(ClientManager& owner, TaskArg argument)
{
    const auto id = static_cast<std::int32_t>(static_cast<std::intptr_t>(argument));
    const std::string sql = id == kAllApps
        ? std::string("UPDATE t_game SET bproxyed = 0")
        : "UPDATE t_game SET bproxyed = 0 WHERE id = " + std::to_string(id);
    if (UsableDatabase(owner))
        LogMarkUpdate(owner.catalogue.database.Execute(sql));
    LoadSelectedApps(owner);
}

void LoadSelectedApps(ClientManager& owner, TaskArg)
{
    CatalogueMembers& catalogue = owner.catalogue;
    std::vector<AppRecord> selected;
    std::unique_ptr<SQLiteStatement> statement
        = UsableDatabase(owner) ? catalogue.database.Prepare(kSelectedAppsQuery) : nullptr;
    if (statement) {
        while (statement->NextRow()) {
            AppRecord record;
            record.category_name = Utf8ToWide(statement->ColumnText(0));
            record.category_id = statement->ColumnInt(1);
            record.name = Utf8ToWide(statement->ColumnText(2));
            record.id = statement->ColumnInt(3);
            record.selected = statement->ColumnInt(4) == 1;
            selected.push_back(std::move(record));
        }
    }
    {
        std::lock_guard lock(catalogue.lock);
        catalogue.SelectedApps = std::move(selected);
    }
    owner.Send(msg::UM_LOCAL_APPS, msg::kLocalAppsReloaded, LPARAM { 0 });
    RerunLastAppQuery(owner);
}

std::wstring SelectedDeviceIds(const std::vector<DeviceRecord>& devices)
{
    std::wstring ids;
    for (const DeviceRecord& device : devices) {
        if (!device.selected)
            continue;
        if (device.id.find_first_of(L"&=,") != std::wstring::npos) {
            DebugLogW(L"device id %ls left out of the request\n", device.id.c_str());
            continue;
        }
        ids += device.id + L",";
    }
    return ids;
}

std::wstring InstallBody(const std::vector<DeviceRecord>& devices, const std::vector<AppRecord>& apps)
{
    std::wstring body = L"id=" + SelectedDeviceIds(devices) + L"&app_id=";
    for (const AppRecord& app : apps)
        body += IntToWide(app.id) + L",";
    return body;
}

void InstallSelectedApps(ClientManager& owner, InstallRequest& install)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_app_install";
    request.params = install.body;
    const ServiceReply reply = CallService(request);
    owner.Send(
        msg::UM_APP_INSTALL, reply.succeeded() ? msg::kInstallStarted : msg::kInstallFailed, reply.text);
}

int UploadPercentage(std::int64_t total, std::int64_t sent)
{
    if (total <= 0)
        return 0;
    return static_cast<int>(static_cast<double>(sent) * 100.0 / static_cast<double>(total));
}

int ReportUploadProgress(
    void* owner, std::int64_t, std::int64_t, std::int64_t uploadTotal, std::int64_t uploaded)
{
    const int percentage = UploadPercentage(uploadTotal, uploaded);
    DebugLogA("%g / %g (%g %%)\n", static_cast<double>(uploaded), static_cast<double>(uploadTotal),
        static_cast<double>(percentage));
    if (owner)
        static_cast<ClientManager*>(owner)->Send(
            msg::UM_APP_UPLOAD, msg::kAppUploadProgress, static_cast<LPARAM>(percentage));
    return 0;
}

void UploadLocalApp(ClientManager& owner, AppUpload& upload)
{
    UploadProgress progress;
    progress.owner = &owner;
    ServiceRequest request;
    request.operation = ServiceOperation::Upload;
    request.path = "/api/qtz/front_device_file_upload";
    request.uploadFile = upload.path;
    request.uploadId = WideToAnsi(upload.deviceIds);
    request.uploadIsApp = "1";
    request.prepare = [&progress](ClusterCurl& curl) {
        curl_easy_setopt(curl.handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl.handle, CURLOPT_XFERINFOFUNCTION, &TransferInfo);
        curl_easy_setopt(curl.handle, CURLOPT_XFERINFODATA, &progress);
    };
    const ServiceReply reply = CallService(request);
    switch (reply.stage) {
    case ServiceStage::NotCreated:
    case ServiceStage::InitFailed:
        owner.Send(msg::UM_APP_UPLOAD, msg::kAppUploadFailed, std::wstring());
        return;
    case ServiceStage::TransferFailed:
        owner.Send(msg::UM_APP_UPLOAD, msg::kAppUploadFailed,
            std::wstring(kRequestFailedText) + L":" + IntToWide(reply.result));
        return;
    case ServiceStage::Answered:
        break;
    }
    if (!reply.envelope.success) {
        owner.Send(msg::UM_APP_UPLOAD, msg::kAppUploadFailed, reply.text);
        return;
    }
    owner.Send(msg::UM_APP_UPLOAD, msg::kAppUploadDone, LPARAM { 0 });
}

void DeleteLocalApps(ClientManager& owner, AppDeletion& deletion)
{
    const std::vector<std::int32_t>& ids = deletion.ids;
    if (ids.empty())
        return;
    std::wstring body = L"id=";
    std::string list;
    for (std::int32_t id : ids) {
        body += IntToWide(id) + L",";
        list += (list.empty() ? "" : ",") + std::to_string(id);
    }
    ServiceRequest request;
    request.path = "/api/qtz/front_app_del";
    request.params = body;
    const ServiceReply reply = CallService(request);
    if (!reply.succeeded())
        return;
    const std::string sql = "delete from t_game where id in (" + list + ")";
    if (UsableDatabase(owner) && owner.catalogue.database.Execute(sql))
        DebugLogA("%s OK!\n", sql.c_str());
    else
        DebugLogA("Error: [%s] %s\n", sql.c_str(), owner.catalogue.database.ErrorMessage().c_str());
    LoadMyApps(owner, deletion.userId);
    LoadSelectedApps(owner);
}
