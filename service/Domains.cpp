#include "service/Domains.h"

#include "service/account/AccountRoutes.h"
#include "service/account/CaptchaRoutes.h"
#include "service/control/ControlRoutes.h"
#include "service/devices/DeviceRoutes.h"

namespace service {

// One line per domain, in the order their states are seeded.
void RegisterDomains(Server& server)
{
    RegisterAccountRoutes(server);
    RegisterCaptchaRoutes(server);
    RegisterDeviceRoutes(server);
    RegisterControlRoutes(server);
}

}  // namespace service
