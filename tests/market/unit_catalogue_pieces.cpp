// The small rules of the app market: the generation mark, numeric members of
// app objects, icon names, group heights, the install body, the upload
// percentage and the ordering of overlapping list loads.
#include <gtest/gtest.h>

#include <cjson/cJSON.h>

#include <fstream>

#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "devices/DeviceMembers.h"
#include "market/AppInstall.h"
#include "market/AppQueries.h"
#include "market/AppViews.h"
#include "market/Catalogue.h"
#include "market/CatalogueSync.h"
#include "net/JsonRead.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvana::test;

TEST(CataloguePieces, TheGenerationIsTheLowWordAsASignedNumber)
{
    EXPECT_EQ(GenerationOf(1700000000), 1700000000);
    EXPECT_EQ(GenerationOf(0x1'8000'0000LL), static_cast<std::int32_t>(0x80000000u));
    EXPECT_EQ(GenerationOf(0x2'0000'0005LL), 5);
}

TEST(CataloguePieces, NumericMembersAreDecimalStringsOrNumbersOnly)
{
    json::Document object = json::Parse(
        R"({"a":"123","b":"-7","c":"12a","d":"","e":45,"f":null,"g":"1); drop table t_game;--","h":"99999999999999999999"})");
    EXPECT_EQ(NumericMember(object.get(), "a"), 123);
    EXPECT_EQ(NumericMember(object.get(), "b"), -7);
    EXPECT_EQ(NumericMember(object.get(), "c"), std::nullopt);
    EXPECT_EQ(NumericMember(object.get(), "d"), std::nullopt);
    EXPECT_EQ(NumericMember(object.get(), "e"), 45);
    EXPECT_EQ(NumericMember(object.get(), "f"), std::nullopt);
    EXPECT_EQ(NumericMember(object.get(), "g"), std::nullopt);
    EXPECT_EQ(NumericMember(object.get(), "h"), std::nullopt);
    EXPECT_EQ(NumericMember(object.get(), "missing"), std::nullopt);
}

TEST(CataloguePieces, IconFilesAreNamedByTheWholeIdInsideTheIconFolder)
{
    TempDir dir;
    InitLocalPaths(dir.path().string());
    EXPECT_EQ(IconFilePath(17), GetLocalPaths().iconCache.narrow + "17.png");
    EXPECT_EQ(IconFilePathWide(-3), GetLocalPaths().iconCache.wide + L"-3.png");
    const std::string png = (dir.path() / "a.png").string();
    std::ofstream(png, std::ios::binary) << std::string("\x89PNG\r\n\x1a\n....", 12);
    EXPECT_TRUE(LooksLikePng(png));
    std::ofstream(png, std::ios::binary) << "<html>";
    EXPECT_FALSE(LooksLikePng(png));
    EXPECT_FALSE(LooksLikePng((dir.path() / "none.png").string()));
}

TEST(CataloguePieces, AGroupIsItsRowsOfEightyAndAThirtyPixelTitle)
{
    EXPECT_EQ(GroupHeight(7, 5), 190);
    EXPECT_EQ(GroupHeight(5, 5), 110);
    EXPECT_EQ(GroupHeight(1, 5), 110);
    EXPECT_EQ(GroupHeight(11, 5), 270);
    EXPECT_EQ(GroupHeight(3, 0), 270);
}

TEST(CataloguePieces, TheInstallBodyListsSelectedDevicesThenAppsEachWithAComma)
{
    std::vector<DeviceRecord> devices(4);
    devices[0].id = L"AC0001";
    devices[0].selected = true;
    devices[1].id = L"AC0002";
    devices[2].id = L"AC0003";
    devices[2].selected = true;
    devices[3].id = L"X&app_id=1";
    devices[3].selected = true;
    std::vector<AppRecord> apps(2);
    apps[0].id = 7;
    apps[1].id = 9;
    EXPECT_EQ(InstallBody(devices, apps), L"id=AC0001,AC0003,&app_id=7,9,");
    EXPECT_EQ(SelectedDeviceIds(devices), L"AC0001,AC0003,");
    EXPECT_EQ(InstallBody({}, {}), L"id=&app_id=");
}

TEST(CataloguePieces, UploadProgressIsAWholeTruncatedPercentage)
{
    EXPECT_EQ(UploadPercentage(0, 0), 0);
    EXPECT_EQ(UploadPercentage(3, 1), 33);
    EXPECT_EQ(UploadPercentage(3, 2), 66);
    EXPECT_EQ(UploadPercentage(1000, 1000), 100);

    RecordingTarget window;
    auto client = std::make_shared<ClientManager>(&window);
    EXPECT_EQ(ReportUploadProgress(client.get(), 0, 0, 200, 101), 0);
    ASSERT_EQ(window.Messages().size(), 1u);
    EXPECT_EQ(window.Messages()[0].msg, msg::UM_APP_UPLOAD);
    EXPECT_EQ(window.Messages()[0].wParam, msg::kAppUploadProgress);
    EXPECT_EQ(window.Messages()[0].lParam, 50);
}

TEST(CataloguePieces, AnOlderListLoadNeverReplacesANewerOne)
{
    TempDir dir;
    RecordingTarget window([](UINT, WPARAM code) { return code == msg::kAppListEmpty; });
    auto client = std::make_shared<ClientManager>(&window);
    ASSERT_EQ(OpenCatalogueFile(client->catalogue.database, (dir.path() / "data.db").string()), 0);
    client->catalogue.databaseStep.End(true);
    ASSERT_TRUE(client->catalogue.database.Execute(
        "REPLACE INTO t_subtype (id, type, name, timestamp) values(1101,11,'x',1);"
        "REPLACE INTO t_game (id, sort, sourcetype, source, gamename, installname, type, timestamp) values"
        "(1,0,1,-1,'a','1',1101,5),(2,1,1,-1,'ab','1',1101,5)"));
    // "a" was typed, then "b": the "ab" load is issued second but ends first.
    AppListLoad first = IssueAppQuery(client->catalogue, SearchAppsQuery(L"a"));
    AppListLoad second = IssueAppQuery(client->catalogue, SearchAppsQuery(L"ab"));
    RunAppQuery(*client, second);
    RunAppQuery(*client, first);
    ASSERT_EQ(client->catalogue.AppList.size(), 1u);
    EXPECT_EQ(client->catalogue.AppList[0].name, L"ab");
    EXPECT_EQ(window.Messages().size(), 1u);
    // The rerun runs the query issued last.
    RerunLastAppQuery(*client);
    ASSERT_EQ(window.Messages().size(), 2u);
    EXPECT_EQ(client->catalogue.AppList.size(), 1u);
    // Nothing issued yet: the empty list with its text.
    auto fresh = std::make_shared<ClientManager>(&window);
    fresh->catalogue.databaseStep.End(true);
    RerunLastAppQuery(*fresh);
    EXPECT_EQ(window.Messages().back().wParam, msg::kAppListEmpty);
    EXPECT_EQ(window.Messages().back().text, L"没有找到该类型的应用！");
}

} // namespace
