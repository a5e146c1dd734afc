#pragma once

namespace service {

class Server;

// Plans, orders (paid with points at once, or through the web payment page
// or a QR code later), order states and the two record lists; controls
// "commerce/pay", "commerce/balance", "commerce/records" and "commerce/plans".
void RegisterCommerceRoutes(Server& server);

} // namespace service
