#include "devices/Screenshot.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <semaphore>

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "net/Base64.h"
#include "net/JsonRead.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"
#include "platform/DebugLog.h"
#include "platform/ImageCodec.h"

namespace {

bool IsPlainNameCharacter(wchar_t c)
{
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_'
        || c == L'-' || c == L'.';
}

bool IsPlainName(std::wstring_view id)
{
    if (id.empty() || id.size() > 64 || id.front() == L'.')
        return false;
    for (wchar_t c : id) {
        if (!IsPlainNameCharacter(c))
            return false;
    }
    return true;
}

} // namespace

std::wstring ScreenshotFileName(std::wstring_view deviceId)
{
    if (IsPlainName(deviceId))
        return std::wstring(deviceId) + L".jpeg";
    static const wchar_t hex[] = L"0123456789abcdef";
    const std::string bytes = WideToUtf8(deviceId);
    std::wstring name = L"@";
    if (bytes.size() <= 32) {
        for (unsigned char b : bytes) {
            name += hex[b >> 4];
            name += hex[b & 15];
        }
    } else {
        // FNV-1a over the bytes, with the length, for ids too long to spell out.
        std::uint64_t hash = 14695981039346656037ull;
        for (unsigned char b : bytes)
            hash = (hash ^ b) * 1099511628211ull;
        for (int shift = 60; shift >= 0; shift -= 4)
            name += hex[(hash >> shift) & 15];
        name += L"_" + std::to_wstring(bytes.size());
    }
    return name + L".jpeg";
}

std::wstring ScreenshotFilePath(std::wstring_view deviceId)
{
    return GetLocalPaths().imageCache.wide + ScreenshotFileName(deviceId);
}

std::string ScreenshotFilePathNarrow(std::wstring_view deviceId)
{
    return GetLocalPaths().imageCache.narrow + WideToUtf8(ScreenshotFileName(deviceId));
}

bool StoreScreenshotImage(std::string_view imageBytes, const std::string& path)
{
    if (imageBytes.empty() || path.empty())
        return false;
    const std::string jpeg = StretchedJpeg(imageBytes, kScreenshotWidth, kScreenshotHeight);
    if (jpeg.empty())
        return false;
    // A picture cache needs no flush to disk, only that a reader never sees
    // half a file: the bytes go beside it and are renamed over it.
    const std::string temp = path + ".part";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file.write(jpeg.data(), static_cast<std::streamsize>(jpeg.size()));
        if (!file.good()) {
            file.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

namespace {

std::counting_semaphore<kScreenshotTransfers>& ScreenshotSlots()
{
    // Never destroyed: a task may still hold a slot while the process ends.
    static auto* places = new std::counting_semaphore<kScreenshotTransfers>(kScreenshotTransfers);
    return *places;
}

// One of the kScreenshotTransfers places for a capture transfer, held while
// it lives.
struct ScreenshotSlot {
    ScreenshotSlot() { ScreenshotSlots().acquire(); }
    ~ScreenshotSlot() { ScreenshotSlots().release(); }
    ScreenshotSlot(const ScreenshotSlot&) = delete;
    ScreenshotSlot& operator=(const ScreenshotSlot&) = delete;
};

} // namespace

bool FetchScreenshot(ClientManager& owner, int index)
{
    DeviceMembers& members = owner.devices;
    std::wstring id;
    {
        std::lock_guard lock(members.listMutex);
        if (index < 0 || static_cast<std::size_t>(index) >= members.devices.size())
            return false;
        id = members.devices[static_cast<std::size_t>(index)].id;
    }
    ServiceRequest request;
    request.path = "/api/qtz/front_device_capture";
    request.params = L"&id=" + id;
    // The answer holds a whole picture: the diagnostics leave it out.
    request.standardLog = false;
    ServiceReply reply;
    {
        // Screenshots asked for many tiles at once queue here rather than
        // all hit the service together.
        ScreenshotSlot slot;
        reply = CallService(request);
    }
    switch (reply.stage) {
    case ServiceStage::NotCreated:
        DebugLogW(L"New Clibcurl FAILED!\n");
        return false;
    case ServiceStage::InitFailed:
        DebugLogA("curl easy init failure \n");
        DebugLogW(L"Curl init FAILED,Error:%d\n", -1);
        return false;
    case ServiceStage::TransferFailed:
        DebugLogW(L"Curl Perform FAILED,Error:%d\n", reply.result);
        return false;
    case ServiceStage::Answered:
        break;
    }

    const auto markOnline = [&](bool online) {
        std::lock_guard lock(members.listMutex);
        if (index < static_cast<int>(members.devices.size())
            && members.devices[static_cast<std::size_t>(index)].id == id)
            members.devices[static_cast<std::size_t>(index)].online = online;
    };
    if (!reply.envelope.success) {
        markOnline(false);
        return false;
    }
    const cJSON* payload = reply.envelope.payload.get();
    if (payload == nullptr)
        return false;
    std::string base64;
    if (json::ReadText(payload, "base64", base64))
        StoreScreenshotImage(Base64DecodePrefix(base64), ScreenshotFilePathNarrow(id));
    markOnline(true);
    return true;
}

void UpdateScreenshot(ClientManager& owner, TaskArg deviceIndex)
{
    const int index = static_cast<int>(deviceIndex);
    const bool ok = FetchScreenshot(owner, index);
    owner.Post(
        msg::UM_DEVICES, ok ? msg::kScreenshotUpdated : msg::kScreenshotFailed, static_cast<LPARAM>(index));
}
