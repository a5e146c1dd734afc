#include "service/Domains.h"

#include "service/account/AccountRoutes.h"
#include "service/account/CaptchaRoutes.h"
#include "service/control/ControlRoutes.h"

namespace service {

// One line per domain, in the order their states are seeded.
void RegisterDomains(Server& server)
{
    RegisterAccountRoutes(server);
    RegisterCaptchaRoutes(server);
    RegisterControlRoutes(server);
}

}  // namespace service
