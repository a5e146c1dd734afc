#include "devices/control/ControlTasks.h"

#include <atomic>
#include <curl/curl.h>
#include <thread>
#include <vector>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "devices/control/ControlFormats.h"
#include "devices/control/ScreenshotSeam.h"
#include "devices/control/UploadRules.h"
#include "net/ClusterCurl.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"
#include "platform/DebugLog.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/SharedSection.h"

namespace {

std::atomic<long long> g_pollIntervalMs { kRebootPollInterval.count() };

// Workers reach the device list only through these, under listMutex: a
// finished load swaps the list (and frees the old records) on the window
// thread at any time.

// Runs work on the record of device d, provided it is still the device the
// task started for; false when a reload has replaced it meanwhile.
template <class Work> bool WithDevice(ClientManager& owner, int d, const std::wstring& id, Work&& work)
{
    std::lock_guard lock(owner.devices.listMutex);
    auto& devices = owner.devices.devices;
    if (d < 0 || static_cast<std::size_t>(d) >= devices.size() || devices[d].id != id)
        return false;
    work(devices[d]);
    return true;
}

bool StillThere(ClientManager& owner, int d, const std::wstring& id)
{
    return WithDevice(owner, d, id, [](DeviceRecord&) {});
}

std::wstring DeviceIdAt(ClientManager& owner, int d)
{
    std::lock_guard lock(owner.devices.listMutex);
    auto& devices = owner.devices.devices;
    if (d < 0 || static_cast<std::size_t>(d) >= devices.size())
        return {};
    return devices[d].id;
}

// What the player and the synchronised list take from a record, copied.
struct DeviceForProgram {
    int index = 0;
    DeviceRecord record; // id, sn, name, ip and port only
};

DeviceForProgram CopyForProgram(int d, const DeviceRecord& device)
{
    DeviceForProgram copy;
    copy.index = d;
    copy.record.id = device.id;
    copy.record.sn = device.sn;
    copy.record.name = device.name;
    copy.record.ip = device.ip;
    copy.record.port = device.port;
    return copy;
}

struct PlayAddress {
    bool ok = false;
    std::wstring failure; // the text of a failure ("-1000": session expired)
    std::wstring session;
    std::wstring ip;
    std::wstring port;
};

// The play address of device d into its record, and the session identifier.
PlayAddress ObtainPlayAddress(ClientManager& owner, int d, const std::wstring& id)
{
    PlayAddress result;
    ServiceRequest request;
    request.path = "/api/qtz/front_device_play_url";
    request.params = L"&id=" + id;
    const ServiceReply reply = CallService(request);
    if (reply.stage != ServiceStage::Answered) {
        result.failure = reply.text;
        return result;
    }
    result.session = AnsiToWide(reply.lastCookieValue);
    if (!reply.envelope.success) {
        result.failure = reply.text;
        return result;
    }
    const cJSON* payload = reply.envelope.payload.get();
    std::wstring ip;
    std::wstring port;
    // Without both the player would get an address it cannot use.
    if (payload == nullptr || !json::ReadAnsiText(payload, "ip", ip)
        || !json::ReadAnsiText(payload, "port", port)) {
        result.failure = kPlayPayloadMissingText;
        return result;
    }
    WithDevice(owner, d, id, [&](DeviceRecord& device) {
        device.ip = ip;
        device.port = port;
    });
    result.ip = ip;
    result.port = port;
    result.ok = true;
    return result;
}

// Waits for a started program, forgetting its window before its process id
// is released.
void WaitForProgram(ClientManager& owner, ExternalProcess process, const std::function<void()>& forget)
{
    WaitForExternalProgram(process, [&] {
        std::lock_guard lock(owner.control.mutex);
        forget();
    });
    DebugLogW(L"子进程已经退出...\n");
}

bool SignedOutSince(ClientManager& owner, unsigned signOuts)
{
    return owner.control.signOutCount.load() != signOuts || !owner.HasWindow();
}

// Sleeps one poll interval in short steps; false when the wait should end.
bool PollPause(ClientManager& owner, unsigned signOuts)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_pollIntervalMs.load());
    while (std::chrono::steady_clock::now() < end) {
        if (SignedOutSince(owner, signOuts))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return !SignedOutSince(owner, signOuts);
}

void RunDeviceOperation(ClientManager& owner, int d, const char* path, WPARAM done, WPARAM failed)
{
    const unsigned signOuts = owner.control.signOutCount.load();
    const std::wstring id = DeviceIdAt(owner, d);
    ServiceRequest request;
    request.path = path;
    request.params = L"id=" + id;
    const ServiceReply reply = CallService(request);
    if (id.empty() || !reply.succeeded()) {
        owner.Send(msg::UM_DEVICE_OP, failed, static_cast<LPARAM>(d));
        return;
    }
    for (;;) {
        if (!PollPause(owner, signOuts))
            return; // signed out or the window is gone: nobody waits for the answer
        if (!StillThere(owner, d, id))
            return; // the list was reloaded; its tiles show the new state
        if (FetchScreenshotForControl(owner, d))
            break;
    }
    owner.Send(msg::UM_DEVICE_OP, done, static_cast<LPARAM>(d));
}

// --- uploads

struct ProgressTarget {
    ClientManager* owner = nullptr;
    int device = 0;
    bool batch = false;
    int lastPercent = -1;
};

int UploadProgress(void* data, curl_off_t downloadTotal, curl_off_t downloadNow, curl_off_t uploadTotal,
    curl_off_t uploadNow)
{
    auto* target = static_cast<ProgressTarget*>(data);
    const int percent = uploadTotal > 0 ? static_cast<int>(uploadNow * 100 / uploadTotal) : 0;
    DebugLogA("%g / %g (%g %%)\n", static_cast<double>(uploadNow), static_cast<double>(uploadTotal),
        static_cast<double>(percent));
    // libcurl calls many times a second; the window only needs each new value.
    if (percent == target->lastPercent)
        return 0;
    target->lastPercent = percent;
    if (target->batch)
        target->owner->Send(msg::UM_UPLOAD, msg::kUploadBatchProgress, static_cast<LPARAM>(percent));
    else
        target->owner->Send(
            msg::UM_UPLOAD_PROGRESS, static_cast<WPARAM>(target->device), static_cast<LPARAM>(percent));
    return 0;
}

// Sends the request; on a failure shows what the design shows. True when the
// service accepted the file.
bool Upload(ClientManager& owner, ServiceRequest& request, ProgressTarget& progress)
{
    request.path = "/api/qtz/front_device_file_upload";
    request.operation = ServiceOperation::Upload;
    request.prepare = [&progress](ClusterCurl& curl) {
        curl_easy_setopt(curl.handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl.handle, CURLOPT_XFERINFOFUNCTION, &UploadProgress);
        curl_easy_setopt(curl.handle, CURLOPT_XFERINFODATA, &progress);
    };
    const ServiceReply reply = CallService(request);
    const WindowHandle boxOwner = owner.control.owner.load();
    switch (reply.stage) {
    case ServiceStage::NotCreated:
    case ServiceStage::InitFailed:
        return false;
    case ServiceStage::TransferFailed:
        MessageBox(std::wstring(kRequestFailedText) + L":" + std::to_wstring(reply.result), L"错误",
            MessageBoxButtons::Ok, MessageBoxIcon::Error, boxOwner);
        return false;
    case ServiceStage::Answered:
        break;
    }
    if (reply.envelope.success)
        return true;
    MessageBox(reply.envelope.messageText, L"错误", MessageBoxButtons::Ok, MessageBoxIcon::Error, boxOwner);
    return false;
}

} // namespace

void SetRebootPollIntervalForTesting(std::chrono::milliseconds interval)
{
    g_pollIntervalMs = interval.count();
}

void PlayDevice(ClientManager& owner, PlayRequest& request)
{
    const int d = request.device;
    const std::wstring id = DeviceIdAt(owner, d);
    const std::wstring userId = Utf8ToWide(request.userId);
    const PlayAddress address = id.empty() ? PlayAddress {} : ObtainPlayAddress(owner, d, id);
    if (!address.ok) {
        owner.Send(msg::UM_PLAY,
            address.failure == kSessionExpiredText ? msg::kPlaySessionExpired : msg::kPlayAddressFailed,
            static_cast<LPARAM>(d));
        return;
    }
    owner.Send(msg::UM_PLAY, msg::kPlayerStarting, static_cast<LPARAM>(d));

    std::wstring commandLine;
    WithDevice(owner, d, id, [&](const DeviceRecord& device) {
        DeviceRecord copy = CopyForProgram(d, device).record;
        copy.ip = address.ip;
        copy.port = address.port;
        commandLine = PlayerCommandLine(copy, userId);
    });
    std::vector<EnvironmentVariable> environment = HelperEnvironment();
    environment.push_back({ kPlaySessionVariable, WideToUtf8(address.session) });
    const ExternalProcess process = commandLine.empty()
        ? ExternalProcess {}
        : StartExternalProgram(WideToUtf8(commandLine), environment);
    if (process) {
        DebugLogA("player process %d started\n", static_cast<int>(process.pid));
        const ExternalWindow window = FindProgramWindow(process, kProgramWindowLimit);
        if (window.IsValid()) {
            {
                std::lock_guard lock(owner.control.mutex);
                owner.control.players[id] = window;
            }
            WithDevice(owner, d, id, [](DeviceRecord& device) { device.player_open = true; });
        }
        WaitForProgram(owner, process, [&] { owner.control.players.erase(id); });
    }
    if (WithDevice(owner, d, id, [](DeviceRecord& device) { device.player_open = false; }))
        FetchScreenshotForControl(owner, d);
    owner.Send(msg::UM_PLAY, msg::kPlayerEnded, static_cast<LPARAM>(d));
}

void PlayDevicesInSync(ClientManager& owner, std::string& userIdText)
{
    ControlMembers& control = owner.control;
    {
        std::lock_guard lock(control.mutex);
        if (control.syncRunning)
            return;
        control.syncRunning = true;
    }
    auto finish = [&] {
        std::lock_guard lock(control.mutex);
        control.syncRunning = false;
        control.syncWindow = {};
    };

    const std::wstring userId = Utf8ToWide(userIdText);
    std::vector<std::pair<int, std::wstring>> chosen;
    {
        std::lock_guard lock(owner.devices.listMutex);
        for (std::size_t i = 0; i < owner.devices.devices.size(); ++i) {
            if (owner.devices.devices[i].selected)
                chosen.emplace_back(static_cast<int>(i), owner.devices.devices[i].id);
        }
    }
    if (chosen.size() < 2) {
        MessageBox(kTooFewForSyncText, L"提示", MessageBoxButtons::Ok, MessageBoxIcon::Information,
            control.owner.load());
        finish();
        owner.Send(msg::UM_PLAY, msg::kPlayerStarting, 0);
        return;
    }
    std::wstring session;
    for (const auto& [d, id] : chosen) {
        const PlayAddress address = ObtainPlayAddress(owner, d, id);
        if (address.ok)
            session = address.session;
    }
    owner.Send(msg::UM_PLAY, msg::kPlayerStarting, 0);

    // The list is built from copies: the records may be replaced meanwhile.
    std::vector<DeviceForProgram> copies;
    for (const auto& [d, id] : chosen)
        WithDevice(
            owner, d, id, [&](const DeviceRecord& device) { copies.push_back(CopyForProgram(d, device)); });
    std::vector<const DeviceRecord*> devices;
    for (const DeviceForProgram& copy : copies)
        devices.push_back(&copy.record);
    // Characters the code page lacks become "?" rather than emptying the list.
    const std::string text = WideToAnsiReplacing(SyncDeviceList(devices, session, userId));
    if (text.size() + 1 > kSyncSectionSize) {
        MessageBox(kTooManyForSyncText, L"提示", MessageBoxButtons::Ok, MessageBoxIcon::Information,
            control.owner.load());
        finish();
        return;
    }
    if (!WriteSyncSection(text)) {
        finish();
        return;
    }
    const ExternalProcess process = StartExternalProgram(WideToUtf8(kSyncCommandLine), HelperEnvironment());
    if (process) {
        DebugLogA("sync process %d started\n", static_cast<int>(process.pid));
        const ExternalWindow window = FindProgramWindow(process, kProgramWindowLimit);
        {
            std::lock_guard lock(control.mutex);
            control.syncWindow = window;
        }
        WaitForProgram(owner, process, [&] { control.syncWindow = {}; });
    }
    finish();
}

void RebootDevice(ClientManager& owner, TaskArg argument)
{
    RunDeviceOperation(owner, static_cast<int>(argument), "/api/qtz/front_device_reboot", msg::kRebootDone,
        msg::kRebootFailed);
}

void ResetDevice(ClientManager& owner, TaskArg argument)
{
    RunDeviceOperation(
        owner, static_cast<int>(argument), "/api/qtz/front_device_reset", msg::kResetDone, msg::kResetFailed);
}

void UploadToDevice(ClientManager& owner, TaskArg argument)
{
    const int d = static_cast<int>(argument);
    ServiceRequest request;
    {
        std::lock_guard lock(owner.devices.listMutex);
        const auto& devices = owner.devices.devices;
        if (d >= 0 && static_cast<std::size_t>(d) < devices.size() && !devices[d].id.empty()) {
            request.uploadId = WideToAnsi(devices[d].id);
            request.uploadFile = WideToUtf8(devices[d].upload_path);
        }
    }
    request.uploadIsApp = "0";
    ProgressTarget progress { &owner, d, false };
    const bool accepted = !request.uploadFile.empty() && Upload(owner, request, progress);
    std::lock_guard lock(owner.control.uploadSendMutex);
    owner.Send(msg::UM_UPLOAD, accepted ? msg::kUploadDone : msg::kUploadFailed, static_cast<LPARAM>(d));
}

void UploadToSelectedDevices(ClientManager& owner, std::string& path)
{
    ServiceRequest request;
    request.uploadFile = path;
    std::wstring ids;
    {
        std::lock_guard lock(owner.devices.listMutex);
        for (const DeviceRecord& device : owner.devices.devices) {
            if (device.selected)
                ids += device.id + L",";
        }
    }
    request.uploadId = WideToAnsi(ids);
    request.uploadIsApp = "2";
    ProgressTarget progress { &owner, 0, true };
    const bool accepted = Upload(owner, request, progress);
    std::lock_guard lock(owner.control.uploadSendMutex);
    owner.control.batchResultInFlight = true;
    owner.Send(msg::UM_UPLOAD, accepted ? msg::kUploadDone : msg::kUploadFailed, 0);
    owner.control.batchResultInFlight = false;
}

bool PlayerOpenOf(ClientManager& owner, int d)
{
    std::lock_guard lock(owner.devices.listMutex);
    const auto& devices = owner.devices.devices;
    return d >= 0 && static_cast<std::size_t>(d) < devices.size() && devices[d].player_open;
}

void ClosePlayerOf(ClientManager& owner, int d)
{
    const std::wstring id = DeviceIdAt(owner, d);
    std::lock_guard lock(owner.control.mutex);
    auto found = owner.control.players.find(id);
    if (found != owner.control.players.end())
        CloseProgramWindow(found->second);
}

void CloseSyncProgramOf(ClientManager& owner)
{
    std::lock_guard lock(owner.control.mutex);
    CloseProgramWindow(owner.control.syncWindow);
    owner.control.syncWindow = {};
}

bool SyncProgramRuns(ClientManager& owner)
{
    std::lock_guard lock(owner.control.mutex);
    return owner.control.syncRunning;
}

void ClosePlayersOf(ClientManager& owner)
{
    std::lock_guard lock(owner.control.mutex);
    for (const auto& [id, window] : owner.control.players)
        CloseProgramWindow(window);
}

void CloseAllPlayersOf(ClientManager& owner)
{
    ClosePlayersOf(owner);
    CloseSyncProgramOf(owner);
}

std::wstring ChooseUploadFile(WindowHandle owner)
{
    return ChooseFile(owner, kChooseUploadTitle);
}
