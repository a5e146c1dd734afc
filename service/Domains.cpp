#include "service/Domains.h"

#include "service/account/AccountRoutes.h"
#include "service/account/CaptchaRoutes.h"
#include "service/apps/AppRoutes.h"
#include "service/commerce/CommerceRoutes.h"
#include "service/control/ControlRoutes.h"
#include "service/devices/DeviceRoutes.h"
#include "service/messages/MessageRoutes.h"
#include "service/update/UpdateRoutes.h"

namespace service {

// One line per domain, in the order their states are seeded.
void RegisterDomains(Server& server)
{
    RegisterAccountRoutes(server);
    RegisterCaptchaRoutes(server);
    RegisterDeviceRoutes(server);
    RegisterMessageRoutes(server);
    RegisterUpdateRoutes(server);
    RegisterAppRoutes(server);
    RegisterCommerceRoutes(server);
    RegisterControlRoutes(server);
}

} // namespace service
