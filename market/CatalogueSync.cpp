#include "market/CatalogueSync.h"

#include <cjson/cJSON.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <thread>
#include <vector>

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "market/Catalogue.h"
#include "net/JsonRead.h"
#include "net/NumberText.h"
#include "net/PagedLoad.h"
#include "net/ServiceCall.h"
#include "net/TextConvert.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"

namespace {

// Rows per statement: a page has 20; a larger answer is split so the
// statement stays within SQLite's parameter limit.
constexpr std::size_t kRowsPerStatement = 500;

std::string Placeholders(std::size_t rows, int columns)
{
    std::string group = "(";
    for (int i = 0; i < columns; ++i)
        group += i == 0 ? "?" : ",?";
    group += ")";
    std::string text;
    for (std::size_t i = 0; i < rows; ++i) {
        if (i > 0)
            text += ",";
        text += group;
    }
    return text;
}

void BindOptional(SQLiteStatement& statement, int index, const std::optional<std::int64_t>& value)
{
    if (value)
        statement.BindInt64(index, *value);
    else
        statement.BindNull(index);
}

struct CategoryRow {
    std::int64_t id;
    std::int64_t parent;
    std::string name;
};

struct AppRow {
    std::int64_t id;
    std::int64_t sort;
    std::optional<std::int64_t> sourceType;
    std::int64_t source;
    std::string name;
    std::string version;
    std::optional<std::int64_t> category;
};

bool WriteCategories(const SQLiteDatabase& database, const std::vector<CategoryRow>& rows, std::int32_t mark)
{
    bool written = true;
    for (std::size_t first = 0; first < rows.size(); first += kRowsPerStatement) {
        const std::size_t count = std::min(kRowsPerStatement, rows.size() - first);
        const std::string sql
            = "REPLACE INTO t_subtype (id, type, name, timestamp) values" + Placeholders(count, 4);
        std::unique_ptr<SQLiteStatement> statement = database.Prepare(sql);
        bool ok = statement != nullptr;
        for (std::size_t i = 0; ok && i < count; ++i) {
            const CategoryRow& row = rows[first + i];
            const int base = static_cast<int>(i) * 4;
            statement->BindInt64(base + 1, row.id);
            statement->BindInt64(base + 2, row.parent);
            statement->BindText(base + 3, row.name);
            statement->BindInt64(base + 4, mark);
        }
        if (!ok || !database.Run(*statement)) {
            DebugLogA("Error: [%s] %s\n", sql.c_str(), database.ErrorMessage().c_str());
            written = false;
        }
    }
    return written;
}

bool WriteApps(const SQLiteDatabase& database, const std::vector<AppRow>& rows, std::int32_t generation)
{
    bool written = true;
    for (std::size_t first = 0; first < rows.size(); first += kRowsPerStatement) {
        const std::size_t count = std::min(kRowsPerStatement, rows.size() - first);
        const std::string sql = "REPLACE INTO t_game (id, sort, sourcetype, source, gamename, installname, "
                                "type, timestamp) values"
            + Placeholders(count, 8);
        std::unique_ptr<SQLiteStatement> statement = database.Prepare(sql);
        bool ok = statement != nullptr;
        for (std::size_t i = 0; ok && i < count; ++i) {
            const AppRow& row = rows[first + i];
            const int base = static_cast<int>(i) * 8;
            statement->BindInt64(base + 1, row.id);
            statement->BindInt64(base + 2, row.sort);
            BindOptional(*statement, base + 3, row.sourceType);
            statement->BindInt64(base + 4, row.source);
            statement->BindText(base + 5, row.name);
            statement->BindText(base + 6, row.version);
            BindOptional(*statement, base + 7, row.category);
            statement->BindInt64(base + 8, generation);
        }
        if (!ok || !database.Run(*statement)) {
            DebugLogA("%s\n", database.ErrorMessage().c_str());
            written = false;
        }
    }
    return written;
}

// A POST of the synchronisation. The sign-out cancels the session's token:
// from then on no request is made, and one in flight is aborted.
ServiceReply SyncPost(const std::string& path, const std::wstring& params, const CancelToken& cancel)
{
    ServiceRequest request;
    request.path = path;
    request.params = params;
    request.cancel = cancel;
    return CallService(request);
}

// Payload texts arrive in the code page; the database holds UTF-8.
std::string StoredText(const cJSON* object, const char* key)
{
    return WideToUtf8(json::AnsiText(object, key));
}

} // namespace

std::int32_t GenerationOf(std::int64_t stamp)
{
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(stamp) & 0xFFFFFFFFu));
}

std::optional<std::int64_t> NumericMember(const cJSON* object, const char* key)
{
    const cJSON* item = json::Member(object, key);
    if (json::IsNumber(item))
        return json::IntegerOf(item);
    if (!json::IsString(item))
        return std::nullopt;
    const std::string text = json::TextOf(item);
    std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() == start || text.size() - start > 18)
        return std::nullopt;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    }
    return std::stoll(text);
}

std::string IconFilePath(std::int64_t appId)
{
    return GetLocalPaths().iconCache.narrow + std::to_string(appId) + ".png";
}

std::wstring IconFilePathWide(std::int64_t appId)
{
    return GetLocalPaths().iconCache.wide + std::to_wstring(appId) + L".png";
}

bool LooksLikePng(const std::string& path)
{
    static const unsigned char kSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    unsigned char head[8] = {};
    const std::size_t read = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return read == sizeof head && std::equal(head, head + 8, kSignature);
}

void SyncCategories(ClientManager& owner)
{
    const std::int32_t mark = GenerationOf(static_cast<std::int64_t>(std::time(nullptr)));
    const ServiceReply reply = SyncPost("/api/qtz/front_app_category", L"type=1", CurrentTaskToken());
    if (!reply.succeeded() || !reply.envelope.payload)
        return;
    std::vector<CategoryRow> rows;
    for (const cJSON* item : json::Elements(reply.envelope.payload.get())) {
        if (!json::IsObject(item))
            continue;
        rows.push_back({ json::IntegerOf(json::Member(item, "id")),
            json::IntegerOf(json::Member(item, "pId")), StoredText(item, "name") });
    }
    if (!rows.empty())
        WriteCategories(owner.catalogue.database, rows, mark);
}

bool SyncAppList(ClientManager& owner)
{
    const SQLiteDatabase& database = owner.catalogue.database;
    const std::int32_t generation = GenerationOf(owner.RefreshStamp);
    std::int64_t sort = 0;
    bool written = true;
    std::int64_t reportedPages = 0;

    PagedLoad load;
    load.maxPages = kMaxAppListPages;
    load.fetch = [](int page, const CancelToken& cancel) {
        return SyncPost("/api/qtz/front_app_list",
            L"&sort=update&type=3&page_size=20&page_index=" + IntToWide(page), cancel);
    };
    load.accept = [&](int page, ServiceReply& reply) -> std::optional<std::int64_t> {
        DebugLogA("%d\n", reply.result);
        if (!reply.succeeded())
            return std::nullopt;
        const cJSON* payload = reply.envelope.payload.get();
        const cJSON* data = json::Member(payload, "data");
        if (!json::IsObject(payload) || !(json::IsArray(data) || json::IsNull(data) || !data)) {
            // Not a listing at all: what was stored stays.
            DebugLogA("app list page %d unreadable\n", page);
            return std::nullopt;
        }
        const cJSON* pagesItem = json::Member(payload, "pages");
        if (pagesItem && !json::IsNull(pagesItem) && !json::IsNumber(pagesItem)) {
            // A page count of the wrong type would end the listing early and
            // delete every app it did not reach.
            DebugLogA("app list page %d: no page count\n", page);
            return std::nullopt;
        }
        std::int64_t pages = 0;
        json::ReadInt64(payload, "pages", pages);
        reportedPages = pages;
        std::vector<AppRow> rows;
        for (const cJSON* item : json::Elements(data)) {
            const std::int64_t position = sort++;
            const std::optional<std::int64_t> id = NumericMember(item, "id");
            if (!json::IsObject(item) || !id) {
                DebugLogA("app without a numeric id skipped\n");
                continue;
            }
            AppRow row;
            row.id = *id;
            row.sort = position;
            row.sourceType = NumericMember(item, "source_type");
            const std::optional<std::int64_t> source = NumericMember(item, "source");
            row.source = source ? *source : -1;
            row.name = StoredText(item, "name");
            row.version = StoredText(item, "version");
            row.category = NumericMember(item, "category");
            rows.push_back(std::move(row));
        }
        if (rows.empty())
            DebugLogA("app list page %d holds no apps\n", page);
        else if (!WriteApps(database, rows, generation))
            written = false;
        return pages;
    };
    const PagedLoadResult result = RunPagedLoad(load);
    // A listing cut at the page cap is not complete either: the apps past it
    // must not be deleted.
    const bool complete = result.end == PagedLoadEnd::Complete && reportedPages <= kMaxAppListPages;
    if (!complete || !written) {
        DebugLogA("app listing incomplete: earlier rows kept\n");
        return false;
    }
    const std::string sql
        = "delete from t_game where timestamp IS NULL or timestamp!=" + std::to_string(generation);
    if (database.Execute(sql))
        DebugLogA("%s delete OK!\n", sql.c_str());
    else
        DebugLogA("Error: [%s] %s\n", sql.c_str(), database.ErrorMessage().c_str());
    return true;
}

namespace {

// One icon into its file: written beside it and renamed once complete and a
// picture, so a failed or refused download leaves no file that would never
// be fetched again.
void FetchIcon(std::int64_t id, const CancelToken& cancel)
{
    const std::string file = IconFilePath(id);
    if (PathExists(file))
        return;
    const std::string partial = file + ".part";
    ServiceRequest request;
    request.operation = ServiceOperation::Download;
    request.path = "/app/" + std::to_string(id) + "/icon.png";
    request.downloadFile = partial;
    request.assignCookieJar = false;
    request.cancel = cancel;
    const ServiceReply reply = CallService(request);
    if (reply.result == 0 && LooksLikePng(partial) && std::rename(partial.c_str(), file.c_str()) == 0)
        return;
    if (reply.result == 0)
        DebugLogA("icon of app %lld is no PNG\n", static_cast<long long>(id));
    DeleteOneFile(partial);
}

} // namespace

void FetchAppIcons(ClientManager& owner)
{
    std::vector<std::int64_t> ids;
    {
        std::unique_ptr<SQLiteStatement> statement
            = owner.catalogue.database.Prepare("select id from t_game");
        if (!statement)
            return;
        while (statement->NextRow()) {
            // Only a whole number names a file inside the icon folder.
            if (statement->ColumnIsInteger(0))
                ids.push_back(statement->ColumnInt64(0));
        }
    }
    // Up to kIconDownloads at once, each taking the next id; a sign-out
    // (the session's token) stops them all.
    const CancelToken cancel = CurrentTaskToken();
    std::atomic<std::size_t> next { 0 };
    auto work = [&] {
        for (;;) {
            const std::size_t i = next++;
            if (i >= ids.size() || cancel.IsCancelled())
                return;
            FetchIcon(ids[i], cancel);
        }
    };
    std::vector<std::thread> workers;
    const std::size_t count = std::min<std::size_t>(kIconDownloads, ids.size());
    for (std::size_t i = 0; i + 1 < count; ++i) {
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
    for (std::thread& worker : workers)
        worker.join();
}

void SyncCatalogue(ClientManager& owner, TaskArg)
{
    bool idle = false;
    if (owner.catalogue.syncRunning.compare_exchange_strong(idle, true)) {
        // A remembered automatic login starts this while the start-up task
        // may still be making the tables.
        if (UsableDatabase(owner)) {
            SyncCategories(owner);
            SyncAppList(owner);
            FetchAppIcons(owner);
        }
        owner.catalogue.syncRunning = false;
    } else {
        DebugLogA("catalogue synchronisation already running\n");
    }
    owner.Post(msg::UM_APPS, msg::kCatalogueSynced, 0);
}
