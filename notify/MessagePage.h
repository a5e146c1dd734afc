#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "notify/NotifyMembers.h"

struct cJSON;

// One element of a message page's "data" array. Texts come in the ANSI code
// page; "id" and "publish_at" are decimal texts. A missing key, or one of
// another type, leaves the field empty (0 for the id).
MessageRecord ParseMessageRecord(const cJSON* item);

// Appends the page's messages in order and raises highestId to the largest id
// of the page. A payload without a "data" array appends nothing.
void ParseMessagePage(const cJSON* payload, std::vector<MessageRecord>& list, std::int32_t& highestId);

// Seconds since 1970 as the UTC date "%Y-%m-%d"; empty for a time the
// calendar cannot show.
std::wstring MessageDateText(std::int64_t secondsSince1970);

// The description as the list shows it: every line feed removed.
std::wstring MessageContentText(const std::wstring& description);
