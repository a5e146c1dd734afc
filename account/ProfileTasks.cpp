#include "account/ProfileTasks.h"

#include <curl/curl.h>

#include <fstream>
#include <iterator>

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

void RefreshUserInfo(ClientManager& owner, TaskArg)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_user_get_info";
    const ServiceReply reply = CallService(request);
    if (!reply.succeeded()) {
        owner.Send(msg::UM_USERINFO, msg::kUserInfoFailed, reply.text);
        return;
    }
    if (reply.envelope.payload)
        ParseUserInfo(reply.envelope.payload.get(), owner.user);
    owner.Send(msg::UM_USERINFO, msg::kUserInfoLoaded, reply.text);
}

namespace {

// Stops a picture download that grows past the limit and remembers why.
int StopOversized(void* data, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t)
{
    bool& oversized = *static_cast<bool*>(data);
    if (total > kLargestAvatarBytes || now > kLargestAvatarBytes)
        oversized = true;
    return oversized ? 1 : 0;
}

}  // namespace

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

void SetUserInfo(ClientManager& owner, std::wstring& avatarFile)
{
    const std::string picture = PictureText(avatarFile);
    if (owner.user.newNickname == owner.user.nickname && picture.empty())
        return;

    ServiceRequest request;
    request.path = "/api/qtz/front_user_set_info";
    request.paramsToUtf8 = true;
    SetFormFields(request,
                  {{"nickname", owner.user.newNickname},
                   {"avatar", std::wstring(picture.begin(), picture.end())},
                   {"comment", L""}},
                  true);
    const ServiceReply reply = CallService(request);
    if (!reply.succeeded()) {
        owner.Send(msg::UM_PROFILE, msg::kProfileFailed, reply.text);
        return;
    }
    if (reply.envelope.payload)
        ParseUserInfo(reply.envelope.payload.get(), owner.user);
    owner.Send(msg::UM_PROFILE, msg::kProfileSaved, reply.text);
}

void ChangePassword(ClientManager& owner, TaskArg)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_user_reset_password";
    SetFormFields(request, {{"password", owner.user.loginPassword}, {"new_password", owner.user.newPassword}}, true);
    const ServiceReply reply = CallService(request);
    if (reply.stage != ServiceStage::Answered) {
        owner.Send(msg::UM_PROFILE, msg::kProfileFailed, reply.text);
        return;
    }
    if (reply.envelope.success && reply.envelope.payload)
        ParseUserInfo(reply.envelope.payload.get(), owner.user);
    owner.Send(msg::UM_PROFILE, reply.envelope.success ? msg::kPasswordChanged : msg::kPasswordRefused, reply.text);
}
