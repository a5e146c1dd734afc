#include "service/update/UpdateState.h"

namespace service {

std::string StandInInstaller()
{
    return "#!/bin/sh\n"
           "# Stand-in installer of korvana-service: records that it ran.\n"
           "date +%s > \"$(dirname \"$0\")/installer-ran.txt\"\n";
}

void UpdateState::Seed(WorldKind)
{
    offer.reset();
    installer = StandInInstaller();
}

UpdateState& Updates(World& world)
{
    return world.Get<UpdateState>();
}

} // namespace service
