#include "market/AppQueries.h"

#include "app/ClientManager.h"
#include "app/Messages.h"
#include "market/Catalogue.h"
#include "net/TextConvert.h"

namespace {

constexpr const char* kListColumns
    = "select t_subtype.name,t_game.type,t_game.gamename,t_game.installname,t_game.id,t_game.bproxyed ";

// LIKE with "\" as its escape: the wildcards the user typed match themselves.
std::string LikePattern(const std::string& text)
{
    std::string pattern = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\')
            pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

} // namespace

AppQuery HotAppsQuery()
{
    return { std::string(kListColumns)
            + "from t_game,t_subtype where t_game.type = t_subtype.id and t_game.sourcetype = 1 order by "
              "sort "
              "LIMIT 0,100",
        {} };
}

AppQuery MyAppsQuery(const std::string& userId)
{
    if (userId.empty())
        return {};
    return { std::string(kListColumns)
            + "from t_game,t_subtype where t_game.type = t_subtype.id and t_game.sourcetype = 2 and "
              "t_game.source =?",
        { userId } };
}

AppQuery TypeAppsQuery(int category)
{
    const std::string joins = "from t_subtype _maintype join t_subtype _subtype on _maintype.id = "
                              "_subtype.type join t_subtype on "
                              "_subtype.id  = t_subtype.type join t_game on t_subtype.id = t_game.type where "
                              "t_game.sourcetype = 1 and ";
    if (category == kMainCategoryApps || category == kMainCategoryGames)
        return {
            "select _maintype.name Type,_maintype.id TypeID,t_game.gamename,t_game.installname,t_game.id,"
            "t_game.bproxyed "
                + joins + "_maintype.id=" + std::to_string(category) + " LIMIT 0, 60",
            {}
        };
    return { "select t_subtype.name Type,t_subtype.id TypeID,t_game.gamename,t_game.installname,t_game.id,"
             "t_game.bproxyed "
            + joins + "_subtype.id=" + std::to_string(category) + " order by t_subtype.id",
        {} };
}

AppQuery SearchAppsQuery(const std::wstring& text)
{
    // Through the code page, as every stored name came.
    const std::string utf8 = AnsiToUtf8(WideToAnsi(text));
    if (utf8.empty())
        return {};
    return { std::string(kListColumns)
            + "from t_game,t_subtype where t_game.sourcetype = 1 and t_game.type = t_subtype.id and "
              "t_game.gamename like ? escape '\\'",
        { LikePattern(utf8) } };
}

std::string SubtypesQuery(int mainCategory)
{
    return "select id,name from t_subtype where type = " + std::to_string(mainCategory);
}

std::vector<AppRecord> ReadAppRows(const SQLiteDatabase& database, const AppQuery& query)
{
    std::vector<AppRecord> rows;
    std::unique_ptr<SQLiteStatement> statement = database.Prepare(query.sql);
    if (!statement)
        return rows;
    for (std::size_t i = 0; i < query.texts.size(); ++i)
        statement->BindText(static_cast<int>(i) + 1, query.texts[i]);
    while (statement->NextRow()) {
        AppRecord record;
        record.category_name = Utf8ToWide(statement->ColumnText(0));
        record.category_id = statement->ColumnInt(1);
        record.name = Utf8ToWide(statement->ColumnText(2));
        record.version = Utf8ToWide(statement->ColumnText(3));
        record.id = statement->ColumnInt(4);
        record.selected = statement->ColumnInt(5) == 1;
        rows.push_back(std::move(record));
    }
    return rows;
}

AppListLoad IssueAppQuery(CatalogueMembers& catalogue, AppQuery query)
{
    std::lock_guard lock(catalogue.lock);
    catalogue.LastAppQuery = query;
    return { std::move(query), ++catalogue.issuedListLoads };
}

AppListLoad IssueRerun(CatalogueMembers& catalogue)
{
    std::lock_guard lock(catalogue.lock);
    return { catalogue.LastAppQuery, ++catalogue.issuedListLoads };
}

void RunAppQuery(ClientManager& owner, const AppListLoad& load)
{
    CatalogueMembers& catalogue = owner.catalogue;
    std::vector<AppRecord> rows;
    if (UsableDatabase(owner))
        rows = ReadAppRows(catalogue.database, load.query);
    const bool empty = rows.empty();
    {
        std::lock_guard lock(catalogue.lock);
        if (load.number < catalogue.deliveredListLoad)
            return;
        catalogue.deliveredListLoad = load.number;
        catalogue.AppList = std::move(rows);
    }
    if (empty)
        owner.Send(msg::UM_APPS, msg::kAppListEmpty, std::wstring(kNoAppsText));
    else
        owner.Send(msg::UM_APPS, msg::kAppListReady, LPARAM { 0 });
}

void RunAppQueryTask(ClientManager& owner, AppListLoad& load)
{
    RunAppQuery(owner, load);
}

void RerunLastAppQuery(ClientManager& owner, TaskArg)
{
    RunAppQuery(owner, IssueRerun(owner.catalogue));
}

void LoadMyApps(ClientManager& owner, const std::string& userId)
{
    RunAppQuery(owner, IssueAppQuery(owner.catalogue, MyAppsQuery(userId)));
}

SubtypeLoad IssueSubtypeLoad(CatalogueMembers& catalogue, int mainCategory)
{
    std::lock_guard lock(catalogue.lock);
    return SubtypeLoad { mainCategory, ++catalogue.issuedSubtypeLoads };
}

void LoadSubtypes(ClientManager& owner, SubtypeLoad& load)
{
    const int mainCategory = load.mainCategory;
    const std::uint64_t number = load.number;
    CatalogueMembers& catalogue = owner.catalogue;
    std::vector<SubtypeRecord> subtypes;
    std::unique_ptr<SQLiteStatement> statement
        = UsableDatabase(owner) ? catalogue.database.Prepare(SubtypesQuery(mainCategory)) : nullptr;
    if (statement) {
        while (statement->NextRow())
            subtypes.push_back({ statement->ColumnInt(0), Utf8ToWide(statement->ColumnText(1)) });
    }
    const bool empty = subtypes.empty();
    {
        std::lock_guard lock(catalogue.lock);
        if (number < catalogue.deliveredSubtypeLoad)
            return;
        catalogue.deliveredSubtypeLoad = number;
        catalogue.Subtypes = std::move(subtypes);
    }
    if (empty)
        owner.Send(msg::UM_APPS, msg::kAppListEmpty, LPARAM { 0 });
    else
        owner.Send(msg::UM_APPS, msg::kSubtypesReady, static_cast<LPARAM>(mainCategory));
}
