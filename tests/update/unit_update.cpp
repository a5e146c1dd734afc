// The version number, reading the upgrade offer, and the hand-off scripts'
// exact text.
#include <gtest/gtest.h>

#include <string>

#include "net/JsonRead.h"
#include "update/HandOffScript.h"
#include "update/UpdateOffer.h"
#include "update/Version.h"

namespace {

UpdateOffer Offer(const std::string& text)
{
    json::Document document = json::Parse(text);
    EXPECT_TRUE(document) << text;
    return ReadUpdateOffer(document.get());
}

TEST(VersionTest, PartsAreWrittenOneAfterTheOther)
{
    EXPECT_EQ(VersionNumberOf(1, 0, 1, 5), 1015);
    EXPECT_EQ(VersionNumberOf(1, 2, 10, 3), 12103);
    EXPECT_EQ(VersionNumberOf(0, 0, 0, 7), 7);
    EXPECT_EQ(ProgramVersionNumber(), 1015);
}

TEST(UpdateOfferTest, UpgradeIsTrueOrANonZeroInteger)
{
    EXPECT_TRUE(Offer(R"({"upgrade":true})").upgrade);
    EXPECT_TRUE(Offer(R"({"upgrade":1})").upgrade);
    EXPECT_TRUE(Offer(R"({"upgrade":-2})").upgrade);
    EXPECT_FALSE(Offer(R"({"upgrade":0})").upgrade);
    EXPECT_FALSE(Offer(R"({"upgrade":false})").upgrade);
    EXPECT_FALSE(Offer(R"({"upgrade":null})").upgrade);
    EXPECT_FALSE(Offer(R"({"upgrade":"1"})").upgrade);
    EXPECT_FALSE(Offer(R"({})").upgrade);
    EXPECT_TRUE(Offer(R"({"UPGRADE":true})").upgrade) << "keys are found without regard to case";
    EXPECT_TRUE(Offer(R"({"force":1,"is_file":true})").force);
    EXPECT_TRUE(Offer(R"({"force":1,"is_file":true})").isFile);
    EXPECT_FALSE(ReadUpdateOffer(nullptr).upgrade);
}

TEST(UpdateOfferTest, TheVersionTextIsReadAsALeadingNumber)
{
    EXPECT_EQ(Offer(R"({"version":"1016"})").version, 1016);
    EXPECT_EQ(Offer(R"({"version":"  1016x"})").version, 1016);
    EXPECT_EQ(Offer(R"({"version":"1.0.1.6"})").version, 1);
    EXPECT_EQ(Offer(R"({"version":"v2"})").version, 0);
    EXPECT_EQ(Offer(R"({"version":1016})").version, 0) << "a number is no text";
    EXPECT_EQ(Offer(R"({"version":"99999999999999999999999"})").version, INT64_MAX);
}

TEST(UpdateOfferTest, TheUrlComesFromTheCodePage)
{
    EXPECT_EQ(Offer("{\"url\":\"http://h/\xb8\xfc\xd0\xc2.exe\"}").url, L"http://h/更新.exe");
    EXPECT_TRUE(Offer(R"({"url":5})").url.empty());
}

TEST(UpdateOfferTest, OnlyAnOfferedHigherVersionIsNewer)
{
    UpdateOffer offer;
    offer.upgrade = true;
    offer.version = 1015;
    EXPECT_FALSE(IsNewerThan(offer, 1015));
    offer.version = 1016;
    EXPECT_TRUE(IsNewerThan(offer, 1015));
    offer.version = 1;
    EXPECT_FALSE(IsNewerThan(offer, 1015));
    offer.version = 1016;
    offer.upgrade = false;
    EXPECT_FALSE(IsNewerThan(offer, 1015));
}

TEST(HandOffScriptTest, TheBatchTextIsExact)
{
    const std::string expected
        = "@echo off\r\n"
          ":LOOP\r\n"
          "tasklist /FI \"IMAGENAME eq korvana\" | find /C \"korvana\" > update.tmp\r\n"
          "set /p num= < update.tmp\r\n"
          "del /F update.tmp\r\n"
          "if \"%num%\" == \"0\" (\r\n"
          "start \"\" \"/home/u/.local/share/korvanClient/updata.exe\"\r\n"
          "goto END\r\n"
          ")\r\n"
          "choice /D y /t 1\r\n"
          "goto LOOP\r\n"
          ":END\r\n"
          "::del %0\r\n"
          "exit";
    EXPECT_EQ(BatchHandOffScript("korvana", "/home/u/.local/share/korvanClient/updata.exe"), expected);
}

TEST(HandOffScriptTest, APercentInANameIsDoubledForTheBatchInterpreter)
{
    const std::string text = BatchHandOffScript("k%PATH%", "/x/100%/updata.exe");
    EXPECT_NE(text.find("IMAGENAME eq k%%PATH%%\" | find /C \"k%%PATH%%\""), std::string::npos);
    EXPECT_NE(text.find("start \"\" \"/x/100%%/updata.exe\""), std::string::npos);
}

TEST(HandOffScriptTest, ShellValuesAreSingleQuoted)
{
    EXPECT_EQ(ShellQuoted("plain"), "'plain'");
    EXPECT_EQ(ShellQuoted("it's $(rm -rf ~) `x`"), "'it'\\''s $(rm -rf ~) `x`'");
    EXPECT_EQ(ShellQuoted(""), "''");
    const std::string script = ShellHandOffScript("a'b", "/tmp/x y/updata.exe");
    EXPECT_EQ(script.rfind("#!/bin/sh\n", 0), 0u);
    EXPECT_NE(script.find("name='a'\\''b'\n"), std::string::npos);
    EXPECT_NE(script.find("installer='/tmp/x y/updata.exe'\n"), std::string::npos);
}

TEST(HandOffScriptTest, TheShellScriptComparesTheNameAsTheKernelKeepsIt)
{
    const std::string script = ShellHandOffScript("update_integration_tests", "/i");
    EXPECT_NE(script.find("name='update_integrat'\n"), std::string::npos);
}

} // namespace
