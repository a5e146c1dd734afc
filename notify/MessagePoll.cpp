#include "notify/MessagePoll.h"

#include <algorithm>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "net/JsonRead.h"
#include "net/NumberText.h"
#include "net/PagedLoad.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"
#include "notify/MessagePage.h"
#include "platform/DebugLog.h"

void LoadMessages(int type, MessageCategory& block)
{
    block.list.clear();
    int pageCount = 0;
    PagedLoad load;
    load.maxPages = kMaxMessagePages;
    load.fetch = [type](int page, const CancelToken& cancel) {
        ServiceRequest request;
        request.path = "/api/qtz/front_user_message_list";
        request.params = L"&type=" + IntToWide(type) + L"&page_size=10&page_index=" + IntToWide(page);
        request.cancel = cancel;
        return CallService(request);
    };
    // A failed or refused page is skipped: the load goes on only as far as
    // an earlier page said.
    load.accept = [&](int page, ServiceReply& reply) -> std::optional<std::int64_t> {
        DebugLogW(L"iCurrentPage:%d iTotlePage:%d sRec:%d\n", page, pageCount, reply.result);
        if (reply.succeeded() && reply.envelope.payload) {
            const cJSON* payload = reply.envelope.payload.get();
            std::int64_t pages = 0;
            json::ReadInt64(payload, "pages", pages);
            pageCount = static_cast<int>(std::clamp<std::int64_t>(pages, 0, kMaxMessagePages));
            std::wstring lastRead;
            if (json::ReadAnsiText(payload, "last_read_id", lastRead))
                block.lastReadId = WideToInt(lastRead);
            ParseMessagePage(payload, block.list, block.highestId);
        }
        return pageCount;
    };
    RunPagedLoad(load);
    block.unread = block.lastReadId < block.highestId;
}

void LoadAllMessages(ClientManager& owner, MessagePoll& poll)
{
    for (int type = 1; type <= kMessageTypeCount; ++type) {
        const std::size_t index = static_cast<std::size_t>(type - 1);
        MessageCategory& block = poll.categories[index];
        block.highestId = poll.highestIds[index];
        block.lastReadId = poll.lastReadIds[index];
        // The unread flag is the service's: a failed read mark lets the dot
        // come back with this poll.
        LoadMessages(type, block);
    }
    owner.Send(msg::UM_MESSAGES, msg::kMessagesReady, reinterpret_cast<LPARAM>(&poll));
}

bool SendReadMark(const ReadMark& mark)
{
    ServiceRequest request;
    request.path = "/api/qtz/front_user_message_has_read";
    request.params = L"&type=" + IntToWide(mark.type) + L"&id=" + IntToWide(mark.id);
    const ServiceReply reply = CallService(request);
    if (!reply.succeeded()) {
        DebugLogW(L"MarkMessagesRead type:%d id:%d FAILED: %ls\n", mark.type, mark.id, reply.text.c_str());
        return false;
    }
    return true;
}

void MarkMessagesRead(ClientManager&, ReadMark& mark)
{
    SendReadMark(mark);
}
