#pragma once

namespace service {

class Server;

// The message lists, the read marks, and the controls that fill them.
void RegisterMessageRoutes(Server& server);

} // namespace service
