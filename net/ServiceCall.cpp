#include "net/ServiceCall.h"

#include <memory>
#include <new>

#include "net/ClusterCurl.h"
#include "net/ServiceAddress.h"
#include "net/TextConvert.h"
#include "platform/DebugLog.h"

namespace {

int Perform(ClusterCurl& curl, const ServiceRequest& request, std::string& body)
{
    switch (request.operation) {
    case ServiceOperation::Post:
        return curl.postMsg(EncodeParams(request.params, request.paramsToUtf8), body);
    case ServiceOperation::Get:
        return curl.getMsg(body);
    case ServiceOperation::Upload:
        return curl.uploadFile(request.uploadId, request.uploadIsApp, request.uploadFile, body);
    case ServiceOperation::Download:
        return curl.downloadFile(request.downloadFile);
    }
    return -1;
}

} // namespace

std::string EncodeParams(const std::wstring& params, bool toUtf8)
{
    std::string ansi = WideToAnsi(params);
    return toUtf8 ? AnsiToUtf8(ansi) : ansi;
}

ServiceReply CallService(const ServiceRequest& request)
{
    ServiceReply reply;
    std::unique_ptr<ClusterCurl> curl;
    try {
        curl = std::make_unique<ClusterCurl>(request.host.empty() ? ServiceHost() : request.host, "", "");
    } catch (const std::bad_alloc&) {
        if (request.standardLog)
            DebugLogW(L"New Clibcurl FAILED!\n");
        reply.text = kRequestInitFailedText;
        return reply;
    }
    if (!curl->initCurlResource()) {
        if (request.standardLog) {
            DebugLogA("curl easy init failure \n");
            DebugLogW(L"Curl init FAILED,Error:%d\n", -1);
        }
        reply.stage = ServiceStage::InitFailed;
        reply.text = kRequestInitFailedText;
        return reply;
    }

    if (request.operation == ServiceOperation::Get)
        curl->path = WideToAnsi(AnsiToWide(request.path) + request.params);
    else
        curl->path = request.path;
    if (request.assignCookieJar) {
        std::string cookieFile = ClusterCurl::localCookieFilePath();
        if (!cookieFile.empty())
            ClusterCurl::setCookieJarPath(cookieFile);
    }
    if (request.cancel)
        curl->cancel = *request.cancel;
    if (request.prepare)
        request.prepare(*curl);

    reply.result = Perform(*curl, request, reply.body);
    reply.lastCookieValue = curl->lastCookieValue();
    if (reply.result != 0) {
        reply.cancelled = curl->cancel.IsCancelled();
        if (request.standardLog)
            DebugLogW(L"Curl Perform FAILED,Error:%d\n", reply.result);
        reply.stage = ServiceStage::TransferFailed;
        // A cancelled call has nothing to tell the user: the sign-out or
        // the end of the window cancelled it.
        reply.text = reply.cancelled ? std::wstring() : std::wstring(kRequestFailedText);
        return reply;
    }
    reply.stage = ServiceStage::Answered;
    if (request.operation == ServiceOperation::Download)
        return reply;
    if (request.standardLog)
        DebugLogW(L"%ls\n", AnsiToWide(reply.body).c_str());
    reply.envelope = ParseEnvelope(reply.body);
    reply.text = reply.envelope.messageText;
    return reply;
}
