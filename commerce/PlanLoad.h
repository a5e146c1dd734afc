#pragma once

#include "app/Task.h"

struct cJSON;
struct CommerceMembers;

// Task routines without argument. Each empties its list, asks the service
// and reports UM_RECHARGE_ARGS 1205 / 1206 or UM_BUY_LIST 1208 / 1209 with
// an empty text on success; a failure carries the service's text (or a
// fixed one when the answer had none), so the box is never empty.
void LoadRechargePlans(ClientManager& owner, TaskArg argument);
void LoadPurchasePlans(ClientManager& owner, TaskArg argument);

// The payload readers, for tests: they append to the lists.
void ReadRechargePlans(const cJSON* payload, CommerceMembers& members);
void ReadPurchasePlans(const cJSON* payload, CommerceMembers& members);
