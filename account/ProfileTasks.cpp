#include "account/ProfileTasks.h"

#include <curl/curl.h>

#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>

#include "account/UserInfo.h"
#include "app/ClientManager.h"
#include "app/Messages.h"
#include "net/Base64.h"
#include "net/ClusterCurl.h"
#include "net/FormFields.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"
#include "platform/Utf8.h"

namespace {

// Worker side of the hand-off: the answer waits for the window's AdoptUserInfo.
void LeaveUserInfo(ClientManager& owner, const ServiceReply& reply)
{
    if (!reply.envelope.payload)
        return;
    UserInfoFields fields = ReadUserInfo(reply.envelope.payload.get());
    std::lock_guard lock(owner.userInfoLoad.mutex);
    owner.userInfoLoad.loaded = std::move(fields);
}

// Stops a picture download that grows past the limit and remembers why.
int StopOversized(void* data, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t)
{
    bool& oversized = *static_cast<bool*>(data);
    if (total > kLargestAvatarBytes || now > kLargestAvatarBytes)
        oversized = true;
    return oversized ? 1 : 0;
}

} // namespace

void RefreshUserInfo(ClientManager& owner, TaskArg)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_user_get_info";
    const ServiceReply reply = CallService(request);
    if (!reply.succeeded()) {
        owner.Send(msg::UM_USERINFO, msg::kUserInfoFailed, reply.text);
        return;
    }
    LeaveUserInfo(owner, reply);
    owner.Send(msg::UM_USERINFO, msg::kUserInfoLoaded, reply.text);
}

void AdoptUserInfo(ClientManager& owner)
{
    std::optional<UserInfoFields> loaded;
    {
        std::lock_guard lock(owner.userInfoLoad.mutex);
        loaded.swap(owner.userInfoLoad.loaded);
    }
    if (loaded)
        ApplyUserInfo(*loaded, owner.user);
}

void DownloadAvatar(ClientManager& owner, AvatarSource& source)
{
    bool oversized = false;
    ServiceRequest request;
    request.path = WideToAnsi(source.path);
    request.operation = ServiceOperation::Download;
    request.downloadFile = AvatarDownloadPath(source.userId);
    request.prepare = [&oversized](ClusterCurl& curl) {
        curl_easy_setopt(curl.handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl.handle, CURLOPT_XFERINFOFUNCTION, &StopOversized);
        curl_easy_setopt(curl.handle, CURLOPT_XFERINFODATA, &oversized);
    };
    const ServiceReply reply = CallService(request);
    if (reply.result == 0 && !oversized) {
        owner.Send(msg::UM_USERINFO, msg::kAvatarSaved, std::wstring());
        return;
    }
    DeleteOneFile(request.downloadFile);
    if (oversized) {
        // Not the network's fault: the previous picture stays.
        DebugLogA("avatar larger than %lld bytes, not shown\n", kLargestAvatarBytes);
        owner.Send(msg::UM_USERINFO, msg::kAvatarFailed, std::wstring(kAvatarTooLargeText));
        return;
    }
    owner.Send(msg::UM_USERINFO, msg::kAvatarFailed, reply.text);
}

std::string PictureText(const std::wstring& file)
{
    if (file.empty())
        return {};
    std::ifstream in(Utf8OfWide(file), std::ios::binary);
    if (!in)
        return {};
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return {};
    return Base64Lines(bytes);
}

void SetUserInfo(ClientManager& owner, ProfileChange& change)
{
    const std::string picture = PictureText(change.avatarFile);
    if (change.newNickname == change.nickname && picture.empty())
        return;

    ServiceRequest request;
    request.path = "/api/qtz/front_user_set_info";
    request.paramsToUtf8 = true;
    SetFormFields(request,
        { { "nickname", change.newNickname }, { "avatar", std::wstring(picture.begin(), picture.end()) },
            { "comment", L"" } },
        true);
    const ServiceReply reply = CallService(request);
    if (!reply.succeeded()) {
        owner.Send(msg::UM_PROFILE, msg::kProfileFailed, reply.text);
        return;
    }
    LeaveUserInfo(owner, reply);
    owner.Send(msg::UM_PROFILE, msg::kProfileSaved, reply.text);
}

void ChangePassword(ClientManager& owner, PasswordChange& change)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_user_reset_password";
    SetFormFields(
        request, { { "password", change.loginPassword }, { "new_password", change.newPassword } }, true);
    const ServiceReply reply = CallService(request);
    if (reply.stage != ServiceStage::Answered) {
        owner.Send(msg::UM_PROFILE, msg::kProfileFailed, reply.text);
        return;
    }
    if (reply.envelope.success)
        LeaveUserInfo(owner, reply);
    owner.Send(
        msg::UM_PROFILE, reply.envelope.success ? msg::kPasswordChanged : msg::kPasswordRefused, reply.text);
}
