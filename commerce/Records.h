#pragma once

#include <cstdint>
#include <string>

#include "app/Task.h"
#include "commerce/CommerceMembers.h"

struct cJSON;

// Task routines (argument unused): read every page of the point movements or
// of the orders into a list of their own, leave it in `loadedRecords` and
// report UM_RECORDS 1225 with lParam 0. A page the service refuses ends the
// load there.
void LoadPointRecords(ClientManager& owner, TaskArg argument);
void LoadOrderRecords(ClientManager& owner, TaskArg argument);

// Window thread, on UM_RECORDS: the loaded records become `records`.
void AdoptRecords(CommerceMembers& members);

// One record object of each list, for tests.
RecordEntry ReadPointRecord(const cJSON* item);
RecordEntry ReadOrderRecord(const cJSON* item);

// Local time as 2019-3-5 9:07:04: no leading zeros but in minutes and seconds.
std::wstring FormatLocalDateTime(std::int64_t secondsSince1970);

// The text tables of the record columns; empty for an unknown value.
std::wstring PointRecordTypeText(int type);
std::wstring OrderStatusText(int status);
std::wstring PaymentKindText(int type);

// More pages than this are not asked for, whatever the service says.
inline constexpr int kMaxRecordPages = 1000;
