#pragma once

// The commerce feature's part of the ClientManager: the recharge and purchase
// plans with their prices, the current order and the record pages. Filled in
// by the commerce feature.
struct CommerceMembers {
};
