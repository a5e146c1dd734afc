#include "update/UpdateCheck.h"

#include <cstdio>
#include <curl/curl.h>
#include <sys/stat.h>

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "net/ClusterCurl.h"
#include "net/NumberText.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "update/HandOff.h"
#include "update/HandOffScript.h"
#include "update/UpdateOffer.h"
#include "update/Version.h"

namespace {

// What the progress callback needs: the window to report to, and the last
// percentage sent, so a stalled transfer does not repeat the same message.
struct ProgressTarget {
    ClientManager* owner = nullptr;
    int lastPercent = -1;
};

int OnProgress(void* data, curl_off_t total, curl_off_t current, curl_off_t, curl_off_t)
{
    auto* target = static_cast<ProgressTarget*>(data);
    const double totalBytes = static_cast<double>(total);
    const double currentBytes = static_cast<double>(current);
    const double percent = totalBytes > 0 ? currentBytes * 100.0 / totalBytes : 0.0;
    DebugLogA("%g / %g (%g %%)\n", currentBytes, totalBytes, percent);
    const int whole = static_cast<int>(percent);
    if (whole != target->lastPercent) {
        target->lastPercent = whole;
        target->owner->Send(msg::UM_STARTUP, msg::kUpdateProgress, static_cast<LPARAM>(whole));
    }
    return 0;
}

std::string ProgramFileName()
{
    return ClusterCurl::getFileName(RunningProgramPath());
}

} // namespace

bool DownloadAndHandOff(ClientManager& owner, const std::string& url, const std::string& folder)
{
    const std::string programName = ProgramFileName();
    const std::string installer = folder + kInstallerFileName;
    const std::string part = folder + kInstallerPartFileName;

    ProgressTarget progress { &owner };
    ServiceRequest request;
    request.operation = ServiceOperation::Download;
    request.host = url;
    request.downloadFile = part;
    request.prepare = [&progress](ClusterCurl& curl) {
        // The address names its own port (or the scheme's).
        curl.port = 0;
        curl_easy_setopt(curl.handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl.handle, CURLOPT_XFERINFOFUNCTION, &OnProgress);
        curl_easy_setopt(curl.handle, CURLOPT_XFERINFODATA, &progress);
    };
    const ServiceReply reply = CallService(request);
    if (reply.stage != ServiceStage::Answered) {
        DeleteOneFile(part);
        return false;
    }
    if (std::rename(part.c_str(), installer.c_str()) != 0) {
        DebugLogA("rename %s FAILED\n", part.c_str());
        DeleteOneFile(part);
        return false;
    }
    ::chmod(installer.c_str(), 0700);
    if (!WriteHandOffScripts(folder, programName, installer))
        return false;
    return StartHandOffScript(folder + kShellScriptFileName);
}

bool RunUpdateCheck(ClientManager& owner)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_app_upgrade";
    request.params = L"&type=21&version=" + Int64ToWide(ProgramVersionNumber());
    const ServiceReply reply = CallService(request);
    UpdateOffer offer;
    if (reply.succeeded() && reply.envelope.payload)
        offer = ReadUpdateOffer(reply.envelope.payload.get());

    if (!IsNewerThan(offer, ProgramVersionNumber())) {
        owner.Send(msg::UM_STARTUP, msg::kUpdateNone, kUpdateNoneText);
        return false;
    }
    if (offer.url.empty()) {
        owner.Send(msg::UM_STARTUP, msg::kUpdateFailed, kUpdateFailedText);
        return false;
    }
    owner.Send(msg::UM_STARTUP, msg::kUpdateDownloading, LPARAM { 0 });
    if (!DownloadAndHandOff(owner, WideToAnsi(offer.url), GetLocalPaths().folder.narrow)) {
        owner.Send(msg::UM_STARTUP, msg::kUpdateFailed, kUpdateFailedText);
        return false;
    }
    owner.Send(msg::UM_STARTUP, msg::kUpdateHandedOff, kUpdateDoneText);
    return true;
}
