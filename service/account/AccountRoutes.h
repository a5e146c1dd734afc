#pragma once

namespace service {

class Server;

// Users, sign-in and sign-out.
void RegisterAccountRoutes(Server& server);

} // namespace service
