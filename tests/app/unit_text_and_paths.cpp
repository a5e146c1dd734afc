#include <gtest/gtest.h>

#include "app/LocalPaths.h"
#include "app/ServiceLinks.h"
#include "net/ServiceAddress.h"
#include "net/TextConvert.h"
#include "tests/support/ScopedEnv.h"

namespace {

using korvana::test::ScopedEnv;

TEST(SettingsText, AnsiIsCodePage936BothWays)
{
    const std::wstring wide = L"张三abc";
    const std::string ansi = WideToAnsiReplacing(wide);
    EXPECT_EQ(ansi,
        "\xD5\xC5\xC8\xFD"
        "abc");
    EXPECT_EQ(AnsiToWide(ansi), wide);
    EXPECT_EQ(WideToAnsiReplacing(L""), "");
}

TEST(SettingsText, WhatTheCodePageCannotHoldBecomesAQuestionMark)
{
    // Outside CP936: an emoji and a letter with a ring above and acute.
    EXPECT_EQ(WideToAnsiReplacing(L"pw\U0001F600d\u01FA"), "pw?d?");
    // A lead byte cut off at the end (as a 259-byte read can leave it), and a
    // byte that starts nothing.
    EXPECT_EQ(AnsiToWide("ab\xD5"), L"ab\uFFFD");
    EXPECT_EQ(AnsiToWide("a\xFF"
                         "b"),
        L"a\uFFFD"
        L"b");
}

TEST(ServiceLinks, ThePagesOfATlsBuildAreOpenedOverTls)
{
    const std::string host = ServiceHost();
    const long port = ServicePort();
    const ServiceTransport transport = CurrentServiceTransport();

    SetServiceTransportForTesting({});
    SetServiceAddress("svc.example", 80);
    EXPECT_EQ(ServicePageUrl(L"help"), L"http://svc.example/help");
    SetServiceAddress("svc.example", 443);
    EXPECT_EQ(ServicePageUrl(L"/help"), L"http://svc.example:443/help");

    SetServiceTransportForTesting({ .tls = true, .caFile = {} });
    EXPECT_EQ(ServicePageUrl(L"help"), L"https://svc.example/help");
    SetServiceAddress("svc.example", 18443);
    EXPECT_EQ(ServicePageUrl(L"help"), L"https://svc.example:18443/help");
    // A whole address the service gave stays as it is.
    EXPECT_EQ(ServicePageUrl(L"http://other/x"), L"http://other/x");

    SetServiceTransportForTesting(transport);
    SetServiceAddress(host, port);
}

TEST(LocalPaths, AllBelowTheLocalDataFolderInBothEncodings)
{
    ScopedEnv data("XDG_DATA_HOME", "/data/我的");
    const LocalPaths& paths = InitLocalPaths();
    EXPECT_EQ(&paths, &GetLocalPaths());
    EXPECT_EQ(paths.folder.narrow, "/data/我的/korvanClient/");
    EXPECT_EQ(paths.folder.wide, L"/data/我的/korvanClient/");
    EXPECT_EQ(paths.settingsFile.narrow, "/data/我的/korvanClient/config.ini");
    EXPECT_EQ(paths.database.wide, L"/data/我的/korvanClient/data.db");
    EXPECT_EQ(paths.cookieFile.narrow, "/data/我的/korvanClient/cookies.txt");
    EXPECT_EQ(paths.imageCache.wide, L"/data/我的/korvanClient/Cache/");
    EXPECT_EQ(paths.iconCache.narrow, "/data/我的/korvanClient/Icon/");

    // The local (not the configuration) folder, also without XDG_DATA_HOME.
    ScopedEnv none("XDG_DATA_HOME", std::nullopt);
    ScopedEnv home("HOME", "/home/u");
    EXPECT_EQ(InitLocalPaths().folder.narrow, "/home/u/.local/share/korvanClient/");
    EXPECT_EQ(InitLocalPaths("/t/").cookieFile.narrow, "/t/korvanClient/cookies.txt");
}

} // namespace
