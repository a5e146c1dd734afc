#include "market/Catalogue.h"

#include <sqlite3.h>

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "market/CatalogueSchema.h"
#include "market/SQLiteDatabase.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"

namespace {

struct TableSpec {
    const char* name;
    const char* create;
    // The trace line of a missing table has a blank before the comma here.
    bool blankBeforeComma;
};

bool TableExists(const SQLiteDatabase& database, const char* name)
{
    const std::string query
        = std::string("select * from sqlite_master where type = 'table' and name = '") + name + "'";
    std::unique_ptr<SQLiteStatement> check = database.Prepare(query);
    return check && check->NextRow();
}

} // namespace

int OpenCatalogueFile(SQLiteDatabase& database, const std::string& path)
{
    if (!database.Open(path) || sqlite3_db_readonly(database.handle(), "main") == 1) {
        // A file that can only be read would fail every later write: the
        // same as one that cannot be opened.
        DebugLogA("Couldn't Created Or Open %s!\n", path.c_str());
        database = SQLiteDatabase();
        return -1;
    }
    DebugLogA("%s Created or Opened!\n", path.c_str());

    static const TableSpec kTables[] = {
        { "t_game", catalogue_schema::kCreateGame, false },
        { "t_proxy", catalogue_schema::kCreateProxy, false },
        { "t_line", catalogue_schema::kCreateLine, false },
        { "t_linetype", catalogue_schema::kCreateLineType, true },
        { "t_localinstall", catalogue_schema::kCreateLocalInstall, false },
        { "t_subtype", catalogue_schema::kCreateSubtype, false },
        { "t_type", catalogue_schema::kCreateType, false },
    };
    for (const TableSpec& table : kTables) {
        if (TableExists(database, table.name)) {
            DebugLogA("Check table %s OK! \n", table.name);
            continue;
        }
        DebugLogA(
            "Couldn't find table %s%s,Now Create it...\n", table.name, table.blankBeforeComma ? " " : "");
        if (!database.Execute(table.create)) {
            DebugLogA("Create table %s FAILED! \n", table.name);
            return -1;
        }
        DebugLogA("Create table %s OK! \n", table.name);
        if (table.create == catalogue_schema::kCreateProxy) {
            database.Execute(catalogue_schema::kCreateDeleteTrigger);
            database.Execute(catalogue_schema::kCreateInsertTrigger);
        }
    }
    return 0;
}

int OpenCatalogue(ClientManager& owner)
{
    // SQLite would create the file with the umask's mode; the catalogue is
    // the user's alone, and its journal takes the file's mode.
    CreatePrivateFileIfMissing(GetLocalPaths().database.narrow);
    const int result = OpenCatalogueFile(owner.catalogue.database, GetLocalPaths().database.narrow);
    owner.catalogue.databaseStep.End(result == 0);
    return result;
}

bool UsableDatabase(ClientManager& owner)
{
    if (owner.catalogue.databaseStep.WaitOpen(kDatabaseWaitLimit))
        return true;
    DebugLogA("catalogue database not ready, nothing done\n");
    return false;
}
