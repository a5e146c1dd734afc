#pragma once

#include <string>

class ClientManager;
class SQLiteDatabase;

// Opens (or creates) the catalogue file of the per-user folder into the
// ClientManager's connection and makes sure all seven tables exist. Run once
// per process by the start-up task. 0 on success, -1 on failure (the client
// then quits without a word).
int OpenCatalogue(ClientManager& owner);

// The same on any connection and file (UTF-8 path). A file that cannot be
// opened for writing, or whose content is no database, fails.
int OpenCatalogueFile(SQLiteDatabase& database, const std::string& path);
