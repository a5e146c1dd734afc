#include <gtest/gtest.h>

#include "app/LocalPaths.h"
#include "app/TextBridge.h"
#include "tests/support/ScopedEnv.h"

namespace {

using korvana::test::ScopedEnv;

TEST(TextBridge, AnsiIsCodePage936BothWays)
{
    const std::wstring wide = L"张三abc";
    const std::string ansi = ShellWideToAnsi(wide);
    EXPECT_EQ(ansi, "\xD5\xC5\xC8\xFD" "abc");
    EXPECT_EQ(ShellAnsiToWide(ansi), wide);
    EXPECT_EQ(ShellWideToAnsi(L""), "");
}

TEST(TextBridge, WhatTheCodePageCannotHoldBecomesAQuestionMark)
{
    // Outside CP936: an emoji and a letter with a ring above and acute.
    EXPECT_EQ(ShellWideToAnsi(L"pw\U0001F600d\u01FA"), "pw?d?");
    // A lead byte cut off at the end (as a 259-byte read can leave it), and a
    // byte that starts nothing.
    EXPECT_EQ(ShellAnsiToWide("ab\xD5"), L"ab?");
    EXPECT_EQ(ShellAnsiToWide("a\xFF" "b"), L"a?b");
}

TEST(TextBridge, Utf8ForPaths)
{
    const std::wstring wide = L"/home/用户/\U0001F600";
    EXPECT_EQ(ShellUtf8ToWide(ShellWideToUtf8(wide)), wide);
    EXPECT_EQ(ShellWideToUtf8(L"云"), "\xE4\xBA\x91");
    EXPECT_EQ(ShellUtf8ToWide("a\xC3"), L"a?");
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

}  // namespace
