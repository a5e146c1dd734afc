#include "market/CatalogueSchema.h"

// The schema statements as executed; the runs of blanks are part of them.
namespace catalogue_schema {

const char* const kCreateGame
    = "CREATE TABLE [t_game]([id] INTEGER PRIMARY KEY UNIQUE, [sort] INTEGER, [sourcetype] INTEGER, [source] "
      "INTEGER, [type] INTEGER, [subtype] INTEGER REFERENCES [t_subtype]([id]), [gamename] TEXT, "
      "[installname] TEXT, [filename] TEXT, [picpath] TEXT, [letter] TEXT, [freetype] BOOL, [hottype] BOOL, "
      "[bproxyed] BOOL, [timestamp] INTEGER) WITHOUT ROWID";
const char* const kCreateProxy
    = "CREATE TABLE [t_proxy](               [gameid] INTEGER REFERENCES [t_game]([id]) ON DELETE CASCADE ON "
      "UPDATE CASCADE,               [userid] INTEGER,               [fullpath] TEXT,               "
      "[serverregion] TEXT,               [servername] TEXT,               [serverip] TEXT,               "
      "[linename] TEXT,               [lineip] TEXT,               [timestamp] INTEGER,               "
      "PRIMARY KEY([gameid], [userid])) WITHOUT ROWID";
const char* const kCreateDeleteTrigger
    = "CREATE TRIGGER [t_delete] AFTER DELETE ON [t_proxy]                   BEGIN                   UPDATE  "
      "                 [t_game]                   SET [bproxyed] = 0                   WHERE                "
      "   [t_game].[id] = [old].[gameid];                   END";
const char* const kCreateInsertTrigger
    = "CREATE TRIGGER [t_insert] AFTER INSERT ON [t_proxy]                   BEGIN                   UPDATE  "
      "                 [t_game]                   SET [bproxyed] = 1                   WHERE                "
      "   [t_game].[id] = [new].[gameid];                   END";
const char* const kCreateLine
    = "CREATE TABLE [t_line](               [id] INTEGER NOT NULL UNIQUE,               [deviceid] TEXT NOT "
      "NULL UNIQUE,               [name] TEXT,               [currentip] TEXT,               [type] INTEGER "
      "REFERENCES [t_linetype]([id]),               [province] TEXT,               [city] TEXT,              "
      " [timestamp] INTEGER,               PRIMARY KEY([id], [deviceid])) WITHOUT ROWID;";
const char* const kCreateLineType = "CREATE TABLE [t_linetype](               [id] INTEGER PRIMARY KEY NOT "
                                    "NULL UNIQUE,               [name] TEXT) WITHOUT ROWID;";
const char* const kCreateLocalInstall
    = "CREATE TABLE [t_localinstall](               [id] INTEGER PRIMARY KEY NOT NULL UNIQUE,               "
      "[installname] TEXT NOT NULL,               [installpath] TEXT,               [md5] TEXT,              "
      " [version] TEXT,               [timestamp] INTEGER) WITHOUT ROWID;";
const char* const kCreateSubtype
    = "CREATE TABLE [t_subtype](               [id] INTEGER PRIMARY KEY NOT NULL UNIQUE,               "
      "[name] TEXT,               [type] INTEGER,               [timestamp] INTEGER) WITHOUT ROWID;";
const char* const kCreateType = "CREATE TABLE [t_type](               [id] INTEGER PRIMARY KEY NOT NULL "
                                "UNIQUE,               [name] TEXT) WITHOUT ROWID;";

} // namespace catalogue_schema
