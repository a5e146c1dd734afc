#pragma once

namespace service {

class Server;

// Device control: the play address, the live screen and input of the
// player, reboot, reset and file upload; test controls under "control/".
void RegisterControlRoutes(Server& server);

} // namespace service
