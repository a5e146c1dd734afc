// The catalogue synchronisation against korvana-service and a fresh
// database: the bytes it sends, the rows it leaves, and what a bad or absent
// answer does to what was stored.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "account/Login.h"
#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "market/Catalogue.h"
#include "market/CatalogueSync.h"
#include "net/CancelToken.h"
#include "tests/support/PageOrder.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/SignedInTest.h"

namespace {

using namespace korvana::test;
using nlohmann::json;

class CatalogueSyncTest : public SignedInTest {
protected:
    CatalogueSyncTest()
        : SignedInTest(nullptr, SignInAt::Test)
    {
    }
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(SignedInTest::SetUp());
        ASSERT_EQ(OpenCatalogue(*client), 0);
        client->RefreshStamp = 1700000000;
        ASSERT_NO_FATAL_FAILURE(SignIn());
        control().ClearLog();
        m_loginMessages = Messages().size();
    }
    // The messages after the login's.
    std::vector<RecordedMessage> Messages() const
    {
        auto all = window->Messages();
        return { all.begin() + static_cast<std::ptrdiff_t>(m_loginMessages), all.end() };
    }

    // A catalogue of `count` market apps under category 1101.
    void SeedApps(int count, const std::function<void(json&, int)>& edit = nullptr)
    {
        json apps = json::array();
        for (int i = 1; i <= count; ++i) {
            json app = { { "id", i }, { "name", "应用" + std::to_string(i) },
                { "version", "1." + std::to_string(i) }, { "category", 1101 } };
            if (edit)
                edit(app, i);
            apps.push_back(app);
        }
        json setup = { { "categories",
                           json::array({ { { "id", 1 }, { "pId", 0 }, { "name", "应用" } },
                               { { "id", 11 }, { "pId", 1 }, { "name", "社交" } },
                               { { "id", 1101 }, { "pId", 11 }, { "name", "聊天" } } }) },
            { "apps", apps } };
        RawResponse answer = control().Post("/__test/apps/catalogue", setup.dump());
        ASSERT_EQ(answer.status, 200) << answer.body;
    }
    std::int64_t Count(const std::string& where = "")
    {
        auto statement = client->catalogue.database.Prepare("select count(*) from t_game " + where);
        return statement && statement->NextRow() ? statement->ColumnInt64(0) : -1;
    }
    std::string Text(const std::string& sql)
    {
        auto statement = client->catalogue.database.Prepare(sql);
        return statement && statement->NextRow() ? statement->ColumnText(0) : std::string("<none>");
    }
    void Sync() { SyncCatalogue(*client, 0); }
    std::vector<std::string> ListBodies()
    {
        std::vector<std::string> bodies;
        for (const LoggedRequest& request : control().RequestsTo("/api/qtz/front_app_list"))
            bodies.push_back(request.body);
        return InLoadOrder(std::move(bodies));
    }
    void FakePage(const std::string& payload, int times = 1)
    {
        json envelope = { { "status", true }, { "message", payload } };
        control().InjectFault(
            { { "path", "/api/qtz/front_app_list" }, { "body", envelope.dump() }, { "times", times } });
    }

    CancelToken session;
    std::size_t m_loginMessages = 0;
};

TEST_F(CatalogueSyncTest, FortyFiveAppsOverThreePagesWithTheExactRequests)
{
    SeedApps(45);
    Sync();
    auto categories = control().RequestsTo("/api/qtz/front_app_category");
    ASSERT_EQ(categories.size(), 1u);
    EXPECT_EQ(categories[0].method, "POST");
    EXPECT_EQ(categories[0].body, "type=1");
    EXPECT_EQ(ListBodies(),
        (std::vector<std::string> { "&sort=update&type=3&page_size=20&page_index=1",
            "&sort=update&type=3&page_size=20&page_index=2",
            "&sort=update&type=3&page_size=20&page_index=3" }));
    EXPECT_EQ(Count(), 45);
    EXPECT_EQ(
        Text("select min(sort) || '-' || max(sort) || '/' || count(distinct sort) from t_game"), "0-44/45");
    EXPECT_EQ(Text("select count(distinct timestamp) || ':' || min(timestamp) from t_game"), "1:1700000000");
    // Listed in the order received: id 1 first.
    EXPECT_EQ(Text("select sort from t_game where id = 1"), "0");
    EXPECT_EQ(Text("select gamename from t_game where id = 45"), "应用45");
    EXPECT_EQ(Text("select source from t_game where id = 45"), "-1");
    EXPECT_EQ(Text("select name from t_subtype where id = 1101"), "聊天");
    EXPECT_EQ(Text("select type from t_subtype where id = 1101"), "11");
    // One icon per app, named by its id; each request exactly once.
    EXPECT_EQ(control().RequestsTo("/app/7/icon.png").size(), 1u);
    EXPECT_EQ(control().RequestsTo("/app/7/icon.png")[0].method, "GET");
    EXPECT_TRUE(std::filesystem::is_regular_file(GetLocalPaths().iconCache.narrow + "7.png"));
    EXPECT_TRUE(LooksLikePng(GetLocalPaths().iconCache.narrow + "45.png"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].msg, msg::UM_APPS);
    EXPECT_EQ(Messages()[0].wParam, msg::kCatalogueSynced);
    EXPECT_FALSE(Messages()[0].sent);
    EXPECT_FALSE(client->catalogue.syncRunning);
}

TEST_F(CatalogueSyncTest, StaleAndUnstampedRowsGoAfterACompleteListingAndMarksAreCleared)
{
    SeedApps(3);
    ASSERT_TRUE(client->catalogue.database.Execute("REPLACE INTO t_game (id, sort, sourcetype, source, "
                                                   "gamename, installname, type, timestamp, bproxyed) values"
                                                   "(500,0,1,-1,'old','1',1101,99,1),(501,0,1,-1,'unstamped',"
                                                   "'1',1101,NULL,0),(2,9,1,-1,'x','1',1101,99,1)"));
    std::ofstream(GetLocalPaths().iconCache.narrow + "3.png") << "kept";
    Sync();
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(Count("where id in (500, 501)"), 0);
    // A selected app that is listed again loses its mark.
    EXPECT_EQ(Text("select coalesce(bproxyed, 'NULL') from t_game where id = 2"), "NULL");
    // An icon that exists is not fetched again.
    EXPECT_TRUE(control().RequestsTo("/app/3/icon.png").empty());
    EXPECT_EQ(control().RequestsTo("/app/2/icon.png").size(), 1u);
}

TEST_F(CatalogueSyncTest, PagesZeroAsksOnePageAndAMissingSourceStoresMinusOne)
{
    FakePage(
        R"({"page_index":1,"pages":0,"data":[{"id":"7","source_type":"1","name":"A","version":"1","category":"1101"},)"
        R"({"id":"8","source_type":"2","source":"","name":"B","version":"1","category":"1101"},)"
        R"({"id":"9","source_type":"2","source":"42","name":"C","version":null,"category":"1101"}]})");
    Sync();
    EXPECT_EQ(ListBodies().size(), 1u);
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(Text("select source from t_game where id = 7"), "-1");
    EXPECT_EQ(Text("select source from t_game where id = 8"), "-1");
    EXPECT_EQ(Text("select source from t_game where id = 9"), "42");
    EXPECT_EQ(Text("select installname from t_game where id = 9"), "");
}

TEST_F(CatalogueSyncTest, AQuoteOrSqlInReceivedTextIsStoredAsReceived)
{
    SeedApps(2, [](json& app, int i) {
        app["name"] = i == 1 ? "Tom's 厨房" : "x'); DROP TABLE t_game; --";
        app["version"] = "1'0";
    });
    Sync();
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Text("select gamename from t_game where id = 1"), "Tom's 厨房");
    EXPECT_EQ(Text("select gamename from t_game where id = 2"), "x'); DROP TABLE t_game; --");
    EXPECT_EQ(Text("select installname from t_game where id = 1"), "1'0");
}

TEST_F(CatalogueSyncTest, AnUnreachableOrRefusingServiceLeavesTheCatalogueAsItWas)
{
    SeedApps(25);
    Sync();
    ASSERT_EQ(Count(), 25);
    const std::vector<json> faults = {
        { { "drop", true } },
        { { "kind", "not_json" } },
        { { "kind", "wrong_types" } },
        { { "status", 500 } },
        { { "body", R"({"status":false,"message":"-1000"})" } },
        { { "body", R"({"status":true,"message":"{\"pages\":\"3\",\"data\":\"many\"}"})" } },
        { { "body", R"({"status":true,"message":"{\"pages\":\"3\",\"data\":[{\"id\":\"1\"}]}"})" } },
        { { "body", R"({"status":true,"message":"[1,2,3]"})" } },
    };
    for (const json& fault : faults) {
        json setup = fault;
        setup["path"] = "/api/qtz/front_app_list";
        control().InjectFault(setup);
        control().InjectFault({ { "path", "/api/qtz/front_app_category" }, { "kind", "not_json" } });
        client->RefreshStamp += 10;
        Sync();
        EXPECT_EQ(Count(), 25) << fault.dump();
        EXPECT_EQ(Text("select name from t_subtype where id = 1101"), "聊天") << fault.dump();
        control().ClearFaults();
    }
    // The second page fails: the first page's rows are new, none is deleted.
    control().InjectFault({ { "path", "/api/qtz/front_app_list" }, { "drop", true }, { "times", 1 } });
    client->RefreshStamp += 10;
    Sync();
    EXPECT_EQ(Count(), 25);
    EXPECT_EQ(Messages().size(), faults.size() + 2);
}

TEST_F(CatalogueSyncTest, BadAppsAreSkippedAndHugeTextsStoredWithoutHarm)
{
    const std::string huge(1 << 20, 'n');
    FakePage(R"({"pages":1,"data":[{"id":"abc","name":"bad"},{"id":"1) or (1","name":"bad"},7,null,)"
             R"({"id":"12","source_type":"x","name":")"
        + huge
        + R"(","version":"v","category":"1101"},)"
          R"({"id":13,"source_type":1,"name":"num","version":"1","category":1101}]})");
    Sync();
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Text("select length(gamename) from t_game where id = 12"), std::to_string(huge.size()));
    EXPECT_EQ(Text("select coalesce(sourcetype, 'NULL') from t_game where id = 12"), "NULL");
    EXPECT_EQ(Text("select sort from t_game where id = 13"), "5");
    EXPECT_EQ(Text("select type from t_game where id = 13"), "1101");
    // The next run opens the same file without a complaint.
    SQLiteDatabase again;
    EXPECT_EQ(OpenCatalogueFile(again, GetLocalPaths().database.narrow), 0);
}

TEST_F(CatalogueSyncTest, AnIconThatFailsOrIsNoPngLeavesNoFileAndIsTriedAgain)
{
    SeedApps(2);
    control().InjectFault({ { "path", "/app/1/icon.png" }, { "body", "<html>not a picture</html>" } });
    control().InjectFault({ { "path", "/app/2/icon.png" }, { "drop", true } });
    Sync();
    const std::string icons = GetLocalPaths().iconCache.narrow;
    EXPECT_FALSE(std::filesystem::exists(icons + "1.png"));
    EXPECT_FALSE(std::filesystem::exists(icons + "2.png"));
    EXPECT_TRUE(std::filesystem::is_empty(icons));
    control().ClearFaults();
    Sync();
    EXPECT_TRUE(LooksLikePng(icons + "1.png"));
    EXPECT_TRUE(LooksLikePng(icons + "2.png"));
    EXPECT_EQ(control().RequestsTo("/app/1/icon.png").size(), 2u);
}

TEST_F(CatalogueSyncTest, AtLatencyTheOverlappedListingKeepsItsOrderAndAFailingIconLeavesNoPart)
{
    SeedApps(200);
    control().InjectFault({ { "path", "/app/7/icon.png" }, { "truncate", true } });
    control().InjectFault({ { "path", "/app/8/icon.png" }, { "body", "<html>not a picture</html>" } });
    control().SetLatency(20);
    Sync();
    control().SetLatency(0);
    // Ten pages, each once, page 1 first; sort follows the page order.
    std::vector<std::string> expected;
    for (int page = 1; page <= 10; ++page)
        expected.push_back("&sort=update&type=3&page_size=20&page_index=" + std::to_string(page));
    EXPECT_EQ(ListBodies(), expected);
    EXPECT_EQ(Count(), 200);
    for (int id : { 1, 20, 21, 200 })
        EXPECT_EQ(Text("select sort from t_game where id = " + std::to_string(id)), std::to_string(id - 1))
            << id;
    // Every icon but the two bad ones, and nothing half-written.
    std::size_t pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(GetLocalPaths().iconCache.narrow)) {
        EXPECT_EQ(entry.path().extension(), ".png") << entry.path();
        EXPECT_TRUE(LooksLikePng(entry.path().string())) << entry.path();
        ++pictures;
    }
    EXPECT_EQ(pictures, 198u);
    EXPECT_FALSE(std::filesystem::exists(GetLocalPaths().iconCache.narrow + "7.png"));
    EXPECT_FALSE(std::filesystem::exists(GetLocalPaths().iconCache.narrow + "8.png"));
    EXPECT_EQ(control().RequestsTo("/app/200/icon.png").size(), 1u);
}

TEST_F(CatalogueSyncTest, ASignOutStopsTheIconsAndLeavesNoPart)
{
    SeedApps(100);
    control().SetLatency(30000);
    std::thread sync([&] {
        ScopedTaskToken token(session);
        Sync();
    });
    // Wait for the category request to be on its way, then sign out.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (control().RequestsTo("/api/qtz/front_app_category").empty()
        && std::chrono::steady_clock::now() < deadline) { }
    session.Cancel();
    sync.join();
    control().SetLatency(0);
    // Nothing after the category request: no list page, no icon.
    EXPECT_EQ(control().RequestLog().size(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(GetLocalPaths().iconCache.narrow));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].wParam, msg::kCatalogueSynced);
}

TEST_F(CatalogueSyncTest, ASecondSynchronisationDoesNotStartWhileOneRuns)
{
    SeedApps(1);
    client->catalogue.syncRunning = true;
    Sync();
    EXPECT_TRUE(control().RequestsTo("/api/qtz/front_app_category").empty());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].wParam, msg::kCatalogueSynced);
}

TEST_F(CatalogueSyncTest, WithoutASessionNothingIsWrittenOrDeleted)
{
    SeedApps(3);
    Sync();
    control().Reset();
    SeedApps(1);
    Sync();
    EXPECT_EQ(Count(), 3);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_app_list").size(), 1u);
}

TEST_F(CatalogueSyncTest, AfterTheSignOutNothingIsAskedOrWrittenBack)
{
    SeedApps(3);
    Sync();
    ASSERT_EQ(Count(), 3);
    control().ClearLog();
    std::filesystem::remove(cookieFile());
    SeedApps(1);
    client->RefreshStamp += 10;
    // A synchronisation of the session that the sign-out has ended.
    session.Cancel();
    {
        ScopedTaskToken token(session);
        Sync();
    }
    EXPECT_TRUE(control().RequestLog().empty());
    EXPECT_EQ(Count(), 3);
    EXPECT_FALSE(std::filesystem::exists(cookieFile()));
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[1].wParam, msg::kCatalogueSynced);
}

} // namespace
