#include "app/window/StartupTask.h"

#include <ctime>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "market/Catalogue.h"
#include "update/UpdateCheck.h"

void RunStartupTask(ClientManager& owner, TaskArg)
{
    owner.RefreshStamp = static_cast<std::int64_t>(std::time(nullptr));
    // An update that is handed off ends the client before the database is
    // touched.
    if (RunUpdateCheck(owner)) {
        owner.catalogue.databaseStep.End(false);
        return;
    }
    if (OpenCatalogue(owner) != 0) {
        owner.Send(msg::UM_STARTUP, msg::kStartupDatabaseFailed, LPARAM { 0 });
        return;
    }
    owner.Send(msg::UM_STARTUP, msg::kStartupReady, LPARAM { 0 });
}
