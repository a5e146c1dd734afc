#pragma once

#include <vector>

#include "app/Task.h"
#include "commerce/CommerceMembers.h"

struct cJSON;

// Task routines without argument. Each asks the service, leaves what it read
// (nothing after a failure) in its slot of CommerceMembers and reports
// UM_RECHARGE_ARGS 1205 / 1206 or UM_BUY_LIST 1208 / 1209 with an empty text
// on success; a failure carries the service's text (or a fixed one when the
// answer had none), so the box is never empty.
void LoadRechargePlans(ClientManager& owner, TaskArg argument);
void LoadPurchasePlans(ClientManager& owner, TaskArg argument);

// Window thread, on the load's message (either code): the loaded plans
// become the list the page shows.
void AdoptRechargePlans(CommerceMembers& members);
void AdoptPurchasePlans(CommerceMembers& members);

// The payload readers, for tests: they append to the lists.
void ReadRechargePlans(const cJSON* payload, RechargeOffer& offer);
void ReadPurchasePlans(const cJSON* payload, std::vector<PurchasePlan>& plans);
