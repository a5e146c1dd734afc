#pragma once

#include <optional>
#include <string>
#include <vector>

#include "service/World.h"

namespace service {

struct ServiceOptions {
    std::string host = "127.0.0.1";
    int port = 18080;
    WorldKind world = WorldKind::Demo;
};

// "--host H --port P --world demo|empty" (also "--name=value"); none with a
// message in `error` for anything else.
std::optional<ServiceOptions> ParseServiceOptions(const std::vector<std::string>& args, std::string& error);

}  // namespace service
