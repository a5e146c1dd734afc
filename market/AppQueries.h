#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Task.h"
#include "market/CatalogueMembers.h"

// Which view the app page shows.
enum AppViewMode {
    kViewMyApps = 0, // "我的应用"
    kViewHot = 1, // "热门"
    kViewApps = 2, // "应用"
    kViewGames = 3, // "游戏"
    kViewSearch = 4, // the name search
};

// The two main categories.
inline constexpr int kMainCategoryApps = 1;
inline constexpr int kMainCategoryGames = 112;

inline constexpr const wchar_t* kNoAppsText = L"没有找到该类型的应用！";

// The list queries. Each returns six columns: category name, category id,
// app name, version, app id, selection mark.
AppQuery HotAppsQuery();
// The user's uploaded apps; the user id is bound, never joined.
AppQuery MyAppsQuery(const std::string& userId);
// 1 and 112: every app of the main category as one group (at most 60);
// any other id: the apps of that sub-category by their own category.
AppQuery TypeAppsQuery(int category);
// Apps whose name holds the text. "%" and "_" match themselves; the text is
// bound, so a quote is an ordinary character. Empty text: no statement.
AppQuery SearchAppsQuery(const std::wstring& text);
std::string SubtypesQuery(int mainCategory);

// The rows of a list query; none when it cannot be prepared.
std::vector<AppRecord> ReadAppRows(const SQLiteDatabase& database, const AppQuery& query);

// A list load: the query and the number it was issued with.
struct AppListLoad {
    AppQuery query;
    std::uint64_t number = 0;
};

// Makes the query the last one and gives it the next number (any thread).
AppListLoad IssueAppQuery(CatalogueMembers& catalogue, AppQuery query);
// The last query again, with the next number.
AppListLoad IssueRerun(CatalogueMembers& catalogue);

// Runs a load into AppList and sends UM_APPS 1256 (rows) or 1258 (none,
// lParam kNoAppsText). A load older than one already delivered is dropped
// without a message.
void RunAppQuery(ClientManager& owner, const AppListLoad& load);
void RunAppQueryTask(ClientManager& owner, AppListLoad& load);
// Task: the last query again (after a synchronisation or a selection).
void RerunLastAppQuery(ClientManager& owner, TaskArg argument = 0);
// The apps of that user (after a delete), as the "我的应用" view loads them.
void LoadMyApps(ClientManager& owner, const std::string& userId);

// Task: the sub-categories of a main category into Subtypes; sends 1257 with
// the main category or 1258 with 0. A load older than one already delivered
// is dropped without a message.
struct SubtypeLoad {
    int mainCategory = 0;
    std::uint64_t number = 0;
};
void LoadSubtypes(ClientManager& owner, SubtypeLoad& load);
// The load of a main category's sub-categories with the next number.
SubtypeLoad IssueSubtypeLoad(CatalogueMembers& catalogue, int mainCategory);
