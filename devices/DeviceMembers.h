#pragma once

// The device feature's part of the ClientManager: the group list, the device
// list (each record with its player window and flags) and the window of the
// synchronised-operation program. Filled in by the device feature.
struct DeviceMembers {
};
