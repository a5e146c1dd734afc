#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "service/World.h"

namespace service {

// The update the service offers (none unless a test or the demo sets one)
// and the installer it serves.
class UpdateState : public DomainState {
public:
    void Seed(WorldKind kind) override;

    // The upgrade answer's payload as set, members and types as given.
    std::optional<nlohmann::ordered_json> offer;
    std::string installer;
};

UpdateState& Updates(World& world);

// The stand-in installer: a sh script that writes "installer-ran.txt" beside
// itself, so a run can be seen afterwards.
std::string StandInInstaller();

// Where the installer is served.
inline constexpr const char* kInstallerPath = "/download/updata.exe";

} // namespace service
