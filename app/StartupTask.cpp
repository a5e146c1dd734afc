#include "app/StartupTask.h"

#include <ctime>

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "market/Catalogue.h"

void RunStartupTask(ClientManager& owner, TaskArg)
{
    owner.RefreshStamp = static_cast<std::int64_t>(std::time(nullptr));
    // The update check (update/) runs here; it may end the client.
    // The catalogue database (market/) is opened here; on failure the task
    // reports kStartupDatabaseFailed instead of kStartupReady.
    if (OpenCatalogue(owner) != 0) {
        owner.Send(msg::UM_STARTUP, msg::kStartupDatabaseFailed, LPARAM {0});
        return;
    }
    owner.Send(msg::UM_STARTUP, msg::kStartupReady, LPARAM {0});
}
