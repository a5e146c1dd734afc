#pragma once

namespace service {

class Server;

// The version check, the installer download, and the controls that offer an
// update.
void RegisterUpdateRoutes(Server& server);

} // namespace service
