#pragma once

namespace service {

class Server;

// The signed-in user's information, picture, nickname and password.
void RegisterProfileRoutes(Server& server);

// Where a user's picture is served.
inline constexpr const char* kAvatarPath = "/api/index/avatar";

} // namespace service
