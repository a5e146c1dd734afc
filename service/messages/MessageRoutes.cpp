#include "service/messages/MessageRoutes.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "service/Server.h"
#include "service/messages/MessageState.h"

namespace service {
namespace {

    constexpr std::int64_t kDefaultPageSize = 10;
    constexpr std::int64_t kMaxPageSize = 100;

    // A decimal form value; `fallback` when it is none.
    std::int64_t Number(const std::string& text, std::int64_t fallback)
    {
        try {
            std::size_t used = 0;
            const long long value = std::stoll(text, &used);
            return used == text.size() ? value : fallback;
        } catch (const std::exception&) {
            return fallback;
        }
    }

    int TypeOf(const Call& call)
    {
        return static_cast<int>(Number(call.Param("type"), 0));
    }

    void MessageList(Call& call)
    {
        UserMessages* box = Messages(call.world).Box(call.userId, TypeOf(call));
        if (box == nullptr) {
            call.Fail("消息类型错误");
            return;
        }
        const std::int64_t size
            = std::clamp<std::int64_t>(Number(call.Param("page_size"), kDefaultPageSize), 1, kMaxPageSize);
        const std::int64_t index = std::max<std::int64_t>(Number(call.Param("page_index"), 1), 1);
        if (index == box->failPage) {
            call.Fail("服务繁忙，请稍后再试");
            return;
        }
        const auto count = static_cast<std::int64_t>(box->messages.size());
        const std::int64_t pages = (count + size - 1) / size;
        nlohmann::ordered_json data = nlohmann::ordered_json::array();
        for (std::int64_t i = (index - 1) * size; i < std::min(count, index * size); ++i) {
            const ServiceMessage& m = box->messages[static_cast<std::size_t>(i)];
            data.push_back({ { "id", m.id }, { "category", m.category }, { "title", m.title },
                { "description", m.description }, { "publish_at", m.publishAt } });
        }
        call.Succeed({ { "page_index", index }, { "pages", pages },
            { "last_read_id", std::to_string(box->lastReadId) }, { "data", data } });
    }

    void MarkRead(Call& call)
    {
        UserMessages* box = Messages(call.world).Box(call.userId, TypeOf(call));
        const std::int64_t id = Number(call.Param("id"), -1);
        if (box == nullptr || id < 0) {
            call.Fail("参数错误");
            return;
        }
        // A mark never moves back: a client that has seen less says less.
        box->lastReadId = std::max(box->lastReadId, id);
        call.Succeed({ { "code", 0 }, { "msg", "ok" } });
    }

    ServiceMessage MessageOf(const nlohmann::json& setup)
    {
        ServiceMessage m;
        m.id = setup.at("id").is_string() ? setup.at("id").get<std::string>()
                                          : std::to_string(setup.at("id").get<long long>());
        m.category = setup.value("category", std::string());
        m.title = setup.value("title", std::string());
        m.description = setup.value("description", std::string());
        m.publishAt = setup.value("publish_at", std::string("0"));
        return m;
    }

} // namespace

void RegisterMessageRoutes(Server& server)
{
    server.world().Add<MessageState>();
    server.AddCall("/api/qtz/front_user_message_list", { .session = true }, MessageList);
    server.AddCall("/api/qtz/front_user_message_has_read", { .session = true }, MarkRead);

    // Body: {"user_id": 42, "type": 2, "last_read_id": 55, "messages": [{"id":
    // "57", "title": ..., "description": ..., "publish_at": "...", "category":
    // ...}], or "count": n with "first_id": k for n generated messages with the
    // ids k+n-1 down to k, and "fail_page": p for a page the list refuses}.
    // Replaces that user's messages of that type.
    server.AddControl("messages/set", [](Control& c) {
        const nlohmann::json setup = nlohmann::json::parse(c.request.body);
        UserMessages* box
            = Messages(c.server.world()).Box(setup.value("user_id", 42LL), setup.at("type").get<int>());
        if (box == nullptr)
            throw std::invalid_argument("type must be 1, 2 or 3");
        box->messages.clear();
        box->lastReadId = setup.value("last_read_id", 0LL);
        box->failPage = setup.value("fail_page", 0LL);
        if (setup.contains("messages")) {
            for (const nlohmann::json& m : setup.at("messages"))
                box->messages.push_back(MessageOf(m));
        }
        const long long count = setup.value("count", 0LL);
        const long long first = setup.value("first_id", 1LL);
        for (long long i = count - 1; i >= 0; --i) {
            const std::string id = std::to_string(first + i);
            box->messages.push_back(
                { id, "", "消息 " + id, "内容 " + id, std::to_string(86400 + (first + i) * 60) });
        }
        c.Json({ { "count", box->messages.size() } });
    });
    // ?user_id=42: the stored read marks of the three types.
    server.AddControl("messages/marks", [](Control& c) {
        const std::string user = c.Query("user_id");
        MessageState& state = Messages(c.server.world());
        nlohmann::json marks = nlohmann::json::array();
        for (int type = 1; type <= MessageState::kTypeCount; ++type)
            marks.push_back(state.Box(user.empty() ? 42 : std::stoll(user), type)->lastReadId);
        c.Json({ { "last_read_ids", marks } });
    });
}

} // namespace service
