#pragma once

namespace service {

class Server;

// The device list, the group set, device moves and renames, and the capture
// of a device's screen; test controls "devices/...".
void RegisterDeviceRoutes(Server& server);

} // namespace service
