#include "notify/MessagePage.h"

#include <algorithm>
#include <ctime>

#include "net/JsonRead.h"
#include "net/NumberText.h"

MessageRecord ParseMessageRecord(const cJSON* item)
{
    MessageRecord record;
    record.id = WideToInt(json::AnsiText(item, "id"));
    json::ReadAnsiText(item, "category", record.category);
    json::ReadAnsiText(item, "title", record.title);
    json::ReadAnsiText(item, "description", record.description);
    const std::wstring published = json::AnsiText(item, "publish_at");
    if (!published.empty())
        record.date = MessageDateText(WideToInt64(published));
    return record;
}

void ParseMessagePage(const cJSON* payload, std::vector<MessageRecord>& list, std::int32_t& highestId)
{
    bool any = false;
    std::int32_t pageHighest = 0;
    for (const cJSON* item : json::Elements(json::Member(payload, "data"))) {
        MessageRecord record = ParseMessageRecord(item);
        pageHighest = any ? std::max(pageHighest, record.id) : record.id;
        any = true;
        list.push_back(std::move(record));
    }
    if (any && pageHighest > highestId)
        highestId = pageHighest;
}

std::wstring MessageDateText(std::int64_t secondsSince1970)
{
    const std::time_t time = static_cast<std::time_t>(secondsSince1970);
    std::tm parts {};
    if (gmtime_r(&time, &parts) == nullptr)
        return {};
    wchar_t text[64] = {};
    if (std::wcsftime(text, sizeof text / sizeof text[0], L"%Y-%m-%d", &parts) == 0)
        return {};
    return text;
}

std::wstring MessageContentText(const std::wstring& description)
{
    std::wstring text = description;
    std::erase(text, L'\n');
    return text;
}
