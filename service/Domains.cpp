#include "service/Domains.h"

#include "service/account/AccountRoutes.h"

namespace service {

// One line per domain, in the order their states are seeded.
void RegisterDomains(Server& server)
{
    RegisterAccountRoutes(server);
}

}  // namespace service
