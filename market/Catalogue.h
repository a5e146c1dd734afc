#pragma once

#include <string>

class ClientManager;
class SQLiteDatabase;

// Opens (or creates) the catalogue file of the per-user folder into the
// ClientManager's connection and makes sure all seven tables exist. Run once
// per process by the start-up task. 0 on success, -1 on failure (the client
// then quits without a word). Either way it ends the database step.
int OpenCatalogue(ClientManager& owner);

// Work on the database calls this first: it waits (up to kDatabaseWaitLimit)
// for the start-up task's database step. False, with a log line, when the
// database is not there to use.
bool UsableDatabase(ClientManager& owner);

// The same on any connection and file (UTF-8 path). A file that cannot be
// opened for writing, or whose content is no database, fails.
int OpenCatalogueFile(SQLiteDatabase& database, const std::string& path);
