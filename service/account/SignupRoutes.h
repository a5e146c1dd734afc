#pragma once

namespace service {

class Server;

// The registration calls: the uniqueness checks, the SMS code (readable
// through /__test/account/sms_code?phone=...) and the registration itself.
void RegisterSignupRoutes(Server& server);

} // namespace service
