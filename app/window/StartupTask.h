#pragma once

#include "app/Task.h"

// The start-up task, started on the window's first "windowinit": sets
// RefreshStamp to the current time, then (as those features join) runs the
// update check and opens the catalogue database, and reports UM_STARTUP with
// kStartupReady (or kStartupDatabaseFailed). It writes no other shared state:
// a remembered automatic login runs at the same time and owns the session.
void RunStartupTask(ClientManager& owner, TaskArg argument);
