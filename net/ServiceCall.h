#pragma once

#include <functional>
#include <string>

#include <optional>

#include "net/CancelToken.h"
#include "net/ResponseEnvelope.h"

class ClusterCurl;

// The one shape every service call has: make the request object for the
// service host, initialise it, set the path, assign the cookie jar, encode
// the parameter text, perform, read the envelope, and give back the result
// text the call reports. A feature call states only what differs:
//
//   ServiceRequest request;
//   request.path = "/api/qtz/front_user_login";
//   request.params = L"username=" + name + L"&password=" + password;
//   ServiceReply reply = CallService(request);
//   if (reply.envelope.success) { ...read reply.envelope.payload... }
//   manager.Send(UM_LOGIN, 0, reply.text);
//
// Standard diagnostics (wide log unless noted): "New Clibcurl FAILED!\n";
// 8-bit "curl easy init failure \n" with "Curl init FAILED,Error:%d\n";
// "Curl Perform FAILED,Error:%d\n"; and the answer body as "%ls\n". Calls
// with diagnostics of their own set `standardLog` false and log from
// `stage`, `result` and `body`.

enum class ServiceOperation {
    Post, // form POST of the parameter text (ClusterCurl::postMsg)
    Get, // GET of path + parameter text, the whole path in code page 936
    Upload, // multipart POST of `uploadFile` (ClusterCurl::uploadFile)
    Download, // GET into `downloadFile`; no envelope is read
};

struct ServiceRequest {
    std::string path; // e.g. "/api/qtz/front_device_list"
    std::wstring params; // "key=value&..." (Post) or the query value (Get)
    ServiceOperation operation = ServiceOperation::Post;
    // Convert the code page 936 parameter text further to UTF-8 (the calls
    // that send names the user typed for groups, devices or a nickname).
    bool paramsToUtf8 = false;
    // Assign the per-user cookie file (ClusterCurl::localCookieFilePath, set
    // by the application at start) as the cookie jar before the request; all
    // calls do but a few that rely on an earlier call having done it.
    bool assignCookieJar = true;
    // Empty: the service host. The installer download puts a whole address
    // here and leaves `path` empty.
    std::string host;
    // Upload: the file (8-bit full name) and the two text fields.
    std::string uploadFile;
    std::string uploadId;
    std::string uploadIsApp;
    // Download: the target file (8-bit full name).
    std::string downloadFile;
    // Runs on the initialised object right before the operation: set further
    // options on `handle` (progress callbacks) or the time-outs.
    std::function<void(ClusterCurl&)> prepare;
    bool standardLog = true;
    // Aborts the transfer when cancelled; none: the running task's token
    // (ClusterCurl::cancel).
    std::optional<CancelToken> cancel;
};

enum class ServiceStage {
    NotCreated, // the request object could not be made
    InitFailed, // initCurlResource failed
    TransferFailed, // non-zero result: no answer, or a status other than 200
    Answered, // status 200; `envelope` holds the answer (not for Download)
};

struct ServiceReply {
    ServiceStage stage = ServiceStage::NotCreated;
    int result = -1; // the ClusterCurl result (0 when answered)
    std::string body; // the raw answer body, as far as it came
    std::string lastCookieValue; // ClusterCurl::lastCookieValue after a Post
    ResponseEnvelope envelope;
    // The standard result text: the two failure texts below, else the
    // envelope's messageText (empty for a body that is not JSON).
    std::wstring text;
    // The transfer was aborted (or never started) because its token was
    // cancelled: a sign-out, a reload or the end of a load. `stage` is
    // TransferFailed then, and `text` empty (the generic failure reaction
    // shows nothing for it).
    bool cancelled = false;

    bool succeeded() const { return stage == ServiceStage::Answered && envelope.success; }
    bool sessionExpired() const { return stage == ServiceStage::Answered && text == kSessionExpiredText; }
};

inline constexpr const wchar_t* kRequestInitFailedText = L"请求初始化错误，请检查网络连接或尝试重启软件。";
inline constexpr const wchar_t* kRequestFailedText = L"请求错误，请检查网络连接或尝试重启软件。";

ServiceReply CallService(const ServiceRequest& request);

// The parameter text as it goes to ClusterCurl: code page 936 (empty when a
// character has no place there), then UTF-8 when the call asks for it.
std::string EncodeParams(const std::wstring& params, bool toUtf8);
