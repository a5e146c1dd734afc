// The catalogue database: the SQLite wrapper, the check-and-create sequence
// with its trace lines, files that are no database, and the list queries run
// on a filled table (bound texts, quotes and wildcards).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "market/AppQueries.h"
#include "market/Catalogue.h"
#include "market/CatalogueSchema.h"
#include "market/SQLiteDatabase.h"
#include "tests/support/DesktopHooks.h"
#include "tests/support/StderrCapture.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvana::test;

const char* const kTables[]
    = { "t_game", "t_proxy", "t_line", "t_linetype", "t_localinstall", "t_subtype", "t_type" };

// The catalogue schema, statement by statement, blanks and all.
const std::pair<const char*, const char*>
    kSchemaStatements[] = {
        { "t_game",
            R"(CREATE TABLE [t_game]([id] INTEGER PRIMARY KEY UNIQUE, [sort] INTEGER, [sourcetype] INTEGER, [source] INTEGER, [type] INTEGER, [subtype] INTEGER REFERENCES [t_subtype]([id]), [gamename] TEXT, [installname] TEXT, [filename] TEXT, [picpath] TEXT, [letter] TEXT, [freetype] BOOL, [hottype] BOOL, [bproxyed] BOOL, [timestamp] INTEGER) WITHOUT ROWID)" },
        { "t_proxy",
            R"(CREATE TABLE [t_proxy](               [gameid] INTEGER REFERENCES [t_game]([id]) ON DELETE CASCADE ON UPDATE CASCADE,               [userid] INTEGER,               [fullpath] TEXT,               [serverregion] TEXT,               [servername] TEXT,               [serverip] TEXT,               [linename] TEXT,               [lineip] TEXT,               [timestamp] INTEGER,               PRIMARY KEY([gameid], [userid])) WITHOUT ROWID)" },
        { "t_delete",
            R"(CREATE TRIGGER [t_delete] AFTER DELETE ON [t_proxy]                   BEGIN                   UPDATE                   [t_game]                   SET [bproxyed] = 0                   WHERE                   [t_game].[id] = [old].[gameid];                   END)" },
        { "t_insert",
            R"(CREATE TRIGGER [t_insert] AFTER INSERT ON [t_proxy]                   BEGIN                   UPDATE                   [t_game]                   SET [bproxyed] = 1                   WHERE                   [t_game].[id] = [new].[gameid];                   END)" },
        { "t_line",
            R"(CREATE TABLE [t_line](               [id] INTEGER NOT NULL UNIQUE,               [deviceid] TEXT NOT NULL UNIQUE,               [name] TEXT,               [currentip] TEXT,               [type] INTEGER REFERENCES [t_linetype]([id]),               [province] TEXT,               [city] TEXT,               [timestamp] INTEGER,               PRIMARY KEY([id], [deviceid])) WITHOUT ROWID;)" },
        { "t_linetype",
            R"(CREATE TABLE [t_linetype](               [id] INTEGER PRIMARY KEY NOT NULL UNIQUE,               [name] TEXT) WITHOUT ROWID;)" },
        { "t_localinstall",
            R"(CREATE TABLE [t_localinstall](               [id] INTEGER PRIMARY KEY NOT NULL UNIQUE,               [installname] TEXT NOT NULL,               [installpath] TEXT,               [md5] TEXT,               [version] TEXT,               [timestamp] INTEGER) WITHOUT ROWID;)" },
        { "t_subtype",
            R"(CREATE TABLE [t_subtype](               [id] INTEGER PRIMARY KEY NOT NULL UNIQUE,               [name] TEXT,               [type] INTEGER,               [timestamp] INTEGER) WITHOUT ROWID;)" },
        { "t_type",
            R"(CREATE TABLE [t_type](               [id] INTEGER PRIMARY KEY NOT NULL UNIQUE,               [name] TEXT) WITHOUT ROWID;)" },
    };

class CatalogueDatabaseTest : public ::testing::Test {
protected:
    std::string Path() const { return (dir.path() / "data.db").string(); }
    int Open(SQLiteDatabase& database) { return OpenCatalogueFile(database, Path()); }
    std::string StoredSql(const SQLiteDatabase& database, const std::string& name)
    {
        auto statement = database.Prepare("select sql from sqlite_master where name = '" + name + "'");
        return statement && statement->NextRow() ? statement->ColumnText(0) : std::string("<none>");
    }
    void Fill(const SQLiteDatabase& database)
    {
        ASSERT_TRUE(database.Execute("REPLACE INTO t_subtype (id, type, name, timestamp) "
                                     "values(1,0,'应用',1),(11,1,'社交',1),(1101,11,'聊天',1)"));
        ASSERT_TRUE(
            database.Execute("REPLACE INTO t_game (id, sort, sourcetype, source, gamename, installname, "
                             "type, timestamp) values"
                             "(1,0,1,-1,'Tom''s Kitchen','1.0',1101,5),(2,1,1,-1,'100% Fun','2.0',1101,5),"
                             "(3,2,1,-1,'abc_x','3.0',1101,5),(4,3,1,-1,'ABCDx','4.0',1101,5),(5,4,2,42,'"
                             "Mine','0.1',1101,5)"));
    }

    TempDir dir;
};

TEST_F(CatalogueDatabaseTest, AFirstRunCreatesSevenTablesAndTwoTriggersWithTheirTraceLines)
{
    SQLiteDatabase database;
    StderrCapture log;
    ASSERT_EQ(Open(database), 0);
    EXPECT_EQ(log.CountOf(Path() + " Created or Opened!\n"), 1u);
    for (const char* table : kTables) {
        const std::string name = table;
        const std::string comma = name == "t_linetype" ? " ," : ",";
        EXPECT_EQ(log.CountOf("Couldn't find table " + name + comma + "Now Create it...\n"), 1u) << name;
        EXPECT_EQ(log.CountOf("Create table " + name + " OK! \n"), 1u) << name;
        EXPECT_EQ(log.CountOf("Check table " + name + " OK! \n"), 0u) << name;
    }
    // The stored statements are the schema's own texts, written out here
    // rather than taken from our constants (SQLite keeps them without the
    // closing semicolon).
    for (const auto& [name, statement] : kSchemaStatements) {
        std::string expected = statement;
        if (!expected.empty() && expected.back() == ';')
            expected.pop_back();
        EXPECT_EQ(StoredSql(database, name), expected) << name;
    }
}

TEST_F(CatalogueDatabaseTest, ASecondRunOnlyChecksAndAFileWithoutTTypeGetsOnlyThatTable)
{
    {
        SQLiteDatabase first;
        ASSERT_EQ(Open(first), 0);
        ASSERT_TRUE(first.Execute("DROP TABLE t_type"));
    }
    SQLiteDatabase second;
    StderrCapture log;
    ASSERT_EQ(Open(second), 0);
    EXPECT_EQ(log.CountOf("Couldn't find table t_type,Now Create it...\n"), 1u);
    EXPECT_EQ(log.CountOf("Create table t_type OK! \n"), 1u);
    for (const char* table : kTables) {
        if (std::string(table) != "t_type") {
            EXPECT_EQ(log.CountOf("Check table " + std::string(table) + " OK! \n"), 1u) << table;
        }
    }
    EXPECT_EQ(log.Text().find("Create table t_game"), std::string::npos);

    SQLiteDatabase third;
    StderrCapture again;
    ASSERT_EQ(Open(third), 0);
    EXPECT_EQ(again.Text().find("Now Create it"), std::string::npos);
}

TEST_F(CatalogueDatabaseTest, ACorruptUnwritableOrMissingFileFails)
{
    {
        std::ofstream(Path(), std::ios::binary) << std::string(4096, 'x');
        SQLiteDatabase database;
        StderrCapture log;
        EXPECT_EQ(Open(database), -1);
        EXPECT_EQ(log.CountOf("Create table t_game FAILED! \n"), 1u);
        // The file is left as it was.
        EXPECT_EQ(std::filesystem::file_size(Path()), 4096u);
    }
    {
        std::filesystem::remove(Path());
        std::filesystem::create_directory(Path());
        SQLiteDatabase database;
        StderrCapture log;
        EXPECT_EQ(Open(database), -1);
        EXPECT_EQ(log.CountOf("Couldn't Created Or Open " + Path() + "!\n"), 1u);
        EXPECT_FALSE(database.IsOpen());
        std::filesystem::remove(Path());
    }
    if (geteuid() != 0) {
        SQLiteDatabase made;
        ASSERT_EQ(Open(made), 0);
        std::filesystem::permissions(Path(), std::filesystem::perms::owner_read);
        SQLiteDatabase readOnly;
        EXPECT_EQ(Open(readOnly), -1);
    }
}

TEST_F(CatalogueDatabaseTest, PrepareGivesNoneForEmptyOrBadTextAndARowlessQueryIsResetNotFinalized)
{
    SQLiteDatabase database;
    ASSERT_EQ(Open(database), 0);
    EXPECT_EQ(database.Prepare(""), nullptr);
    EXPECT_EQ(database.Prepare("-- nothing"), nullptr);
    EXPECT_EQ(database.Prepare("select * from t_nothing"), nullptr);
    EXPECT_FALSE(database.Execute("select from"));
    EXPECT_FALSE(database.ErrorMessage().empty());

    auto statement = database.Prepare("select id from t_game");
    ASSERT_NE(statement, nullptr);
    EXPECT_FALSE(statement->NextRow());
    // Reset, so it can be stepped again.
    EXPECT_FALSE(statement->NextRow());
    EXPECT_TRUE(SQLiteIsSerialized());
}

TEST_F(CatalogueDatabaseTest, AStepErrorShowsTheOwnerlessBoxAndEndsTheRows)
{
    SQLiteDatabase database;
    ASSERT_EQ(Open(database), 0);
    MessageBoxRecorder boxes;
    // A run-time error: abs() of the smallest integer overflows.
    auto statement = database.Prepare("select abs(-9223372036854775807 - 1)");
    ASSERT_NE(statement, nullptr);
    EXPECT_FALSE(statement->NextRow());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"SQLiteStatement::NextRow SQLITE_ERROR");
    EXPECT_EQ(boxes.Boxes()[0].caption, L"");
    EXPECT_EQ(boxes.Boxes()[0].owner, nullptr);
}

TEST_F(CatalogueDatabaseTest, TheListQueriesKeepTheirShapeAndBindWhatWasTyped)
{
    SQLiteDatabase database;
    ASSERT_EQ(Open(database), 0);
    Fill(database);
    EXPECT_EQ(HotAppsQuery().sql,
        "select t_subtype.name,t_game.type,t_game.gamename,t_game.installname,t_game.id,t_game.bproxyed from "
        "t_game,t_subtype where t_game.type = t_subtype.id and t_game.sourcetype = 1 order by sort LIMIT "
        "0,100");
    EXPECT_NE(TypeAppsQuery(1).sql.find("_subtype.id  = t_subtype.type"), std::string::npos);
    EXPECT_NE(TypeAppsQuery(1).sql.find("and _maintype.id=1 LIMIT 0, 60"), std::string::npos);
    EXPECT_NE(TypeAppsQuery(11).sql.find("and _subtype.id=11 order by t_subtype.id"), std::string::npos);
    EXPECT_EQ(SubtypesQuery(112), "select id,name from t_subtype where type = 112");

    auto names = [&](const AppQuery& query) {
        std::vector<std::wstring> found;
        for (const AppRecord& app : ReadAppRows(database, query))
            found.push_back(app.name);
        return found;
    };
    EXPECT_EQ(names(HotAppsQuery()),
        (std::vector<std::wstring> { L"Tom's Kitchen", L"100% Fun", L"abc_x", L"ABCDx" }));
    // A quote is an ordinary character; "%" and "_" match themselves; ASCII
    // letters match without regard to case.
    EXPECT_EQ(names(SearchAppsQuery(L"'")), (std::vector<std::wstring> { L"Tom's Kitchen" }));
    EXPECT_EQ(names(SearchAppsQuery(L"%")), (std::vector<std::wstring> { L"100% Fun" }));
    EXPECT_EQ(names(SearchAppsQuery(L"c_")), (std::vector<std::wstring> { L"abc_x" }));
    EXPECT_EQ(names(SearchAppsQuery(L"abc")), (std::vector<std::wstring> { L"abc_x", L"ABCDx" }));
    EXPECT_TRUE(names(SearchAppsQuery(L"' or 1=1 --")).empty());
    EXPECT_TRUE(SearchAppsQuery(L"").sql.empty());
    EXPECT_TRUE(names(SearchAppsQuery(L"")).empty());

    EXPECT_EQ(names(MyAppsQuery("42")), (std::vector<std::wstring> { L"Mine" }));
    EXPECT_TRUE(names(MyAppsQuery("42 or 1=1")).empty());
    EXPECT_TRUE(names(MyAppsQuery("")).empty());

    // The main category's query gives every app one group of that category.
    std::vector<AppRecord> grouped = ReadAppRows(database, TypeAppsQuery(1));
    ASSERT_EQ(grouped.size(), 4u);
    EXPECT_EQ(grouped[0].category_id, 1);
    EXPECT_EQ(grouped[0].category_name, L"应用");
    std::vector<AppRecord> bySub = ReadAppRows(database, TypeAppsQuery(11));
    ASSERT_EQ(bySub.size(), 4u);
    EXPECT_EQ(bySub[0].category_id, 1101);
    EXPECT_EQ(bySub[0].category_name, L"聊天");
    EXPECT_EQ(bySub[0].version, L"1.0");
}

} // namespace
