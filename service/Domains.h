#pragma once

namespace service {

class Server;

// Registers every domain's state and calls; the one list to extend when a
// domain is added (Domains.cpp).
void RegisterDomains(Server& server);

// The controls under /__test/ (TestControls.cpp).
void RegisterTestControls(Server& server);

} // namespace service
