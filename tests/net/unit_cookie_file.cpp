// The cookie file merge: what one exchange changed goes into the file, and
// what others wrote there meanwhile stays.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "net/CookieFile.h"
#include "tests/support/TempDir.h"

namespace {

// A Netscape cookie line; expires 0 is a session cookie, 1 one long expired.
std::string Line(const std::string& domain, const std::string& path, const std::string& name,
    const std::string& value, int expires = 0)
{
    return domain + "\tFALSE\t" + path + "\tFALSE\t" + std::to_string(expires) + "\t" + name + "\t" + value;
}

std::vector<std::string> FileLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#')
            lines.push_back(line);
    }
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(CookieFile, KeyIsDomainPathAndNameWhateverTheHttpOnlyMark)
{
    EXPECT_EQ(CookieFile::Key(Line("a.example", "/", "sid", "1")),
        CookieFile::Key(Line("a.example", "/", "sid", "2")));
    EXPECT_EQ(CookieFile::Key(Line("#HttpOnly_a.example", "/", "sid", "1")),
        CookieFile::Key(Line("a.example", "/", "sid", "1")));
    EXPECT_NE(CookieFile::Key(Line("a.example", "/", "sid", "1")),
        CookieFile::Key(Line("b.example", "/", "sid", "1")));
    EXPECT_NE(CookieFile::Key(Line("a.example", "/", "sid", "1")),
        CookieFile::Key(Line("a.example", "/x", "sid", "1")));
    EXPECT_NE(CookieFile::Key(Line("a.example", "/", "sid", "1")),
        CookieFile::Key(Line("a.example", "/", "other", "1")));
    EXPECT_EQ(CookieFile::Key(""), CookieFile::Key("")); // a broken line is no crash
}

TEST(CookieFile, StoreWritesOnlyWhatThisExchangeChangedAndKeepsTheRest)
{
    korvana::test::TempDir dir;
    const std::string path = (dir.path() / "cookies.txt").string();
    {
        std::ofstream out(path);
        out << Line("a.example", "/", "sid", "old") << "\n" << Line("a.example", "/", "gone", "x") << "\n";
    }
    CURL* handle = curl_easy_init();
    ASSERT_NE(handle, nullptr);
    CookieFile cookies;
    cookies.Load(handle, path);
    // The exchange: sid changes, gone is removed, fresh arrives.
    curl_easy_setopt(handle, CURLOPT_COOKIELIST, Line("a.example", "/", "sid", "new").c_str());
    curl_easy_setopt(handle, CURLOPT_COOKIELIST, Line("a.example", "/", "gone", "x", 1).c_str());
    curl_easy_setopt(handle, CURLOPT_COOKIELIST, Line("a.example", "/", "fresh", "f").c_str());
    // Meanwhile another request put its own cookie into the file.
    {
        std::ofstream out(path, std::ios::app);
        out << Line("b.example", "/", "other", "o") << "\n";
    }
    cookies.Store(handle, path);
    curl_easy_cleanup(handle);

    const auto lines = FileLines(path);
    EXPECT_TRUE(Has(lines, Line("a.example", "/", "sid", "new")));
    EXPECT_FALSE(Has(lines, Line("a.example", "/", "sid", "old")));
    EXPECT_TRUE(Has(lines, Line("a.example", "/", "fresh", "f")));
    EXPECT_TRUE(Has(lines, Line("b.example", "/", "other", "o")));
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("\tgone\t"), std::string::npos) << line;
}

TEST(CookieFile, AnExchangeThatChangedNothingLeavesTheFileAlone)
{
    korvana::test::TempDir dir;
    const std::string path = (dir.path() / "cookies.txt").string();
    const std::string text = "# kept as it is\n" + Line("a.example", "/", "sid", "1") + "\n";
    {
        std::ofstream out(path);
        out << text;
    }
    CURL* handle = curl_easy_init();
    ASSERT_NE(handle, nullptr);
    CookieFile cookies;
    cookies.Load(handle, path);
    cookies.Store(handle, path);
    curl_easy_cleanup(handle);
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
}

} // namespace
