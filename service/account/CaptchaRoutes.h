#pragma once

namespace service {

class Server;

// "/api/index/captcha": a picture code as a PNG, tied to a cookie of its own.
void RegisterCaptchaRoutes(Server& server);

} // namespace service
