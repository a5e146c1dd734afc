#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "platform/IniFile.h"
#include "tests/support/TempDir.h"

namespace {

using korvana::test::TempDir;

std::string ReadAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteRaw(const std::filesystem::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

class IniFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = (dir.path() / "config.ini").string();
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsAsTheDefault)
{
    EXPECT_EQ(IniReadInt("Login", "auto_start", -1, path), -1);
    EXPECT_EQ(IniReadString("Login", "name", "dflt", path), "dflt");

    WriteRaw(path, "[Other]\nauto_start=1\n[Login]\nname=x\n");
    EXPECT_EQ(IniReadInt("Login", "auto_start", -1, path), -1); // only in another section
    EXPECT_EQ(IniReadInt("Nope", "name", 7, path), 7);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing.ini"));
    EXPECT_EQ(IniReadInt("Login", "x", 3, (dir.path() / "missing.ini").string()), 3);
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndValuesAreTrimmedAndUnquoted)
{
    WriteRaw(path, "  [ login ]  \r\n  NAME =  Alice  \r\nPwd=\"  spaced  \"\r\nquote='x'\r\n");
    EXPECT_EQ(IniReadString("Login", "name", "", path), "Alice");
    EXPECT_EQ(IniReadString("LOGIN", "pwd", "", path), "  spaced  ");
    EXPECT_EQ(IniReadString("Login", "Quote", "", path), "x");
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyOfThatNameWin)
{
    WriteRaw(path, "[Login]\nk=1\nk=2\n[Login]\nk=3\nj=4\n");
    EXPECT_EQ(IniReadInt("Login", "k", 0, path), 1);
    EXPECT_EQ(IniReadInt("Login", "j", 0, path), 0); // the second [Login] is never read
}

TEST_F(IniFileTest, IntegersFollowTheProfileRules)
{
    WriteRaw(path, "[s]\na=12ab\nb=ab\nc=\nd=-1\ne=0x1F\nf=+7\ng=  42  \n");
    EXPECT_EQ(IniReadInt("s", "a", 99, path), 12);
    EXPECT_EQ(IniReadInt("s", "b", 99, path), 0);
    EXPECT_EQ(IniReadInt("s", "c", 99, path), 99); // empty value: the default
    EXPECT_EQ(IniReadInt("s", "d", 99, path), -1);
    EXPECT_EQ(IniReadInt("s", "e", 99, path), 31);
    EXPECT_EQ(IniReadInt("s", "f", 99, path), 7);
    EXPECT_EQ(IniReadInt("s", "g", 99, path), 42);
}

TEST_F(IniFileTest, StringsAreCutToTheCallersBuffer)
{
    std::string longValue(300, 'x');
    ASSERT_TRUE(IniWriteString("Login", "name", longValue, path));
    EXPECT_EQ(IniReadString("Login", "name", "", path).size(), 259u);
    EXPECT_EQ(IniReadString("Login", "name", "", path, 10), std::string(9, 'x'));
    EXPECT_EQ(IniReadString("Login", "none", std::string(400, 'd'), path).size(), 259u);
}

TEST_F(IniFileTest, WriteCreatesTheFileWithModeUserOnly)
{
    ASSERT_TRUE(IniWriteString("Login", "auto_login", "0", path));
    EXPECT_EQ(ReadAll(path), "[Login]\nauto_login=0\n");
    struct stat st { };
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(IniFileTest, WriteChangesOneLineAndKeepsEverythingElse)
{
    const std::string before
        = "; my notes\r\n[Other]\r\nname=keep\r\n\r\n[LOGIN]\r\nName=old\r\nstray line\r\n\r\n[Tail]\r\nz=1";
    WriteRaw(path, before);
    ASSERT_TRUE(IniWriteString("Login", "name", "new", path));
    ASSERT_TRUE(IniWriteString("Login", "pwd", "p", path));
    ASSERT_TRUE(IniWriteString("Extra", "k", "v", path));
    EXPECT_EQ(ReadAll(path),
        "; my notes\r\n[Other]\r\nname=keep\r\n\r\n[LOGIN]\r\nName=new\r\nstray line\r\npwd=p\r\n\r\n"
        "[Tail]\r\nz=1\r\n[Extra]\r\nk=v\r\n");
}

TEST_F(IniFileTest, WriteReplacesTheFileThroughARename)
{
    WriteRaw(path, "[Login]\nname=a\n");
    ::chmod(path.c_str(), 0644);
    struct stat before { };
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    ASSERT_TRUE(IniWriteString("Login", "name", "b", path));
    struct stat after { };
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino); // a new file took the old one's place
    EXPECT_EQ(after.st_mode & 0777, 0600u);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1u); // no temporary file left behind
}

TEST_F(IniFileTest, ValuesCannotAddLinesAndOuterBlanksSurvive)
{
    ASSERT_TRUE(IniWriteString("Login", "name", "a\npwd=stolen\r\n", path));
    EXPECT_EQ(IniReadString("Login", "pwd", "none", path), "none");
    EXPECT_EQ(IniReadString("Login", "name", "", path), "a pwd=stolen  "); // breaks became blanks

    ASSERT_TRUE(IniWriteString("Login", "pwd", "  secret ", path));
    EXPECT_EQ(IniReadString("Login", "pwd", "", path), "  secret ");
    ASSERT_TRUE(IniWriteString("Login", "pwd", "\"quoted\"", path));
    EXPECT_EQ(IniReadString("Login", "pwd", "", path), "\"quoted\"");
    ASSERT_TRUE(IniWriteString("Login", "pwd", "", path));
    EXPECT_EQ(IniReadString("Login", "pwd", "dflt", path), "");
}

TEST_F(IniFileTest, AnUnreadableOrUnwritablePlaceIsLeftAlone)
{
    // A folder where the file should be: it reads as missing and is not replaced.
    std::filesystem::create_directory(path);
    EXPECT_EQ(IniReadInt("Login", "auto_start", -1, path), -1);
    EXPECT_FALSE(IniWriteString("Login", "auto_start", "1", path));
    EXPECT_TRUE(std::filesystem::is_directory(path));

    const std::string inMissingFolder = (dir.path() / "no" / "config.ini").string();
    EXPECT_FALSE(IniWriteString("Login", "k", "v", inMissingFolder));
}

} // namespace
