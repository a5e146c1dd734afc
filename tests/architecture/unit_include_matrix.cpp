// The dependency direction of the client, enforced: every #include of the
// source folders is checked against the matrix of docs/dependencies.md,
// which this test reads (the rules live there only).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = KORVANA_TEST_SOURCE_DIR;

// Known breaks being removed elsewhere; each entry is "file -> include".
// Empty this list as they are fixed; a stale entry is reported, not failed,
// so the fix can land before the entry goes.
const std::set<std::string> kAllowed = {};

const std::set<std::string> kFeatures
    = { "account", "devices", "devices/control", "market", "commerce", "notify", "update" };

struct Matrix {
    // folder -> the words of its line
    std::map<std::string, std::set<std::string>> rules;

    // The longest listed folder holding `path`, or "".
    std::string FolderOf(const std::string& path) const
    {
        std::string best;
        for (const auto& [folder, words] : rules) {
            if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0
                && path[folder.size()] == '/' && folder.size() > best.size())
                best = folder;
        }
        return best;
    }
};

bool ReadMatrix(Matrix& matrix, std::string& error)
{
    std::ifstream in(kRoot / "docs" / "dependencies.md");
    if (!in) {
        error = "docs/dependencies.md cannot be read";
        return false;
    }
    std::string line;
    bool inBlock = false;
    while (std::getline(in, line)) {
        if (!inBlock) {
            inBlock = line == "```include-matrix";
            continue;
        }
        if (line == "```") {
            if (matrix.rules.empty())
                error = "the include-matrix block is empty";
            return !matrix.rules.empty();
        }
        std::istringstream words(line);
        std::string folder, word;
        if (!(words >> folder))
            continue;
        auto& allowed = matrix.rules[folder];
        while (words >> word)
            allowed.insert(word);
    }
    error = "no closed include-matrix block in docs/dependencies.md";
    return false;
}

bool IsPage(const std::string& include)
{
    const std::string name = fs::path(include).filename().string();
    return name.size() > 6 && name.compare(name.size() - 6, 6, "Page.h") == 0;
}

bool IsFeatureState(const std::string& include)
{
    const std::string name = fs::path(include).filename().string();
    return name.size() > 9 && name.compare(name.size() - 9, 9, "Members.h") == 0;
}

// Why `include` (from a file in `from`) breaks the matrix, or "" when it does not.
std::string Judge(const Matrix& matrix, const std::string& from, const std::string& include)
{
    if (include == "app/BuildConfig.h")
        return {};
    const std::string to = matrix.FolderOf(include);
    if (to.empty() || to == from)
        return {};
    const auto& words = matrix.rules.at(from);
    const bool feature = kFeatures.count(to) != 0;
    if (feature) {
        if (IsPage(include))
            return words.count("page") ? "" : "a feature's page, which only the window composes";
        if (words.count("feature") || words.count(to))
            return {};
        if (IsFeatureState(include) && words.count("feature-state"))
            return {};
        return "a feature header";
    }
    return words.count(to) ? "" : "folder " + to + " is not below " + from;
}

struct Break {
    std::string where; // "file -> include"
    std::string why;
};

std::vector<Break> CheckTree(const Matrix& matrix)
{
    static const std::regex quoted(R"re(^\s*#\s*include\s*"([^"]+)")re");
    static const std::regex angled(R"re(^\s*#\s*include\s*<(Q[A-Za-z]*)(/[^>]*)?>)re");
    std::vector<Break> found;
    for (const auto& [folder, words] : matrix.rules) {
        if (!fs::is_directory(kRoot / folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(kRoot / folder)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
                continue;
            const std::string file = fs::relative(entry.path(), kRoot).generic_string();
            const std::string from = matrix.FolderOf(file);
            if (from != folder)
                continue; // checked under the sub-folder that holds it
            std::ifstream in(entry.path());
            std::string line;
            while (std::getline(in, line)) {
                std::smatch m;
                if (std::regex_search(line, m, quoted)) {
                    const std::string why = Judge(matrix, from, m[1].str());
                    if (!why.empty())
                        found.push_back({ file + " -> " + m[1].str(), why });
                } else if (std::regex_search(line, m, angled) && !words.count("qt")) {
                    found.push_back(
                        { file + " -> <" + m[1].str() + m[2].str() + ">", "Qt outside its folders" });
                }
            }
        }
    }
    return found;
}

TEST(IncludeMatrix, EveryIncludeOfTheClientFollowsTheDocumentedDirection)
{
    Matrix matrix;
    std::string error;
    ASSERT_TRUE(ReadMatrix(matrix, error)) << error;
    for (const char* folder : { "platform", "net", "ui", "app", "app/window", "service" })
        ASSERT_TRUE(matrix.rules.count(folder)) << folder << " missing from the matrix";
    for (const std::string& f : kFeatures)
        ASSERT_TRUE(matrix.rules.count(f)) << f << " missing from the matrix";

    std::set<std::string> seenAllowed;
    std::ostringstream report;
    for (const Break& b : CheckTree(matrix)) {
        if (kAllowed.count(b.where)) {
            seenAllowed.insert(b.where);
            continue;
        }
        report << "  " << b.where << " (" << b.why << ")\n";
    }
    EXPECT_TRUE(report.str().empty()) << "includes against docs/dependencies.md:\n" << report.str();
    for (const std::string& entry : kAllowed) {
        if (!seenAllowed.count(entry))
            std::cout << "allow-list entry no longer needed: " << entry << "\n";
    }
}

TEST(IncludeMatrix, TheRulesCatchTheBreaksTheyAreMeantFor)
{
    Matrix matrix;
    std::string error;
    ASSERT_TRUE(ReadMatrix(matrix, error)) << error;
    // Upwards and sideways.
    EXPECT_NE(Judge(matrix, "platform", "net/ServiceCall.h"), "");
    EXPECT_NE(Judge(matrix, "net", "ui/UIManager.h"), "");
    EXPECT_NE(Judge(matrix, "ui", "app/ClientManager.h"), "");
    EXPECT_NE(Judge(matrix, "app", "devices/DeviceList.h"), "");
    EXPECT_NE(Judge(matrix, "devices", "app/window/CMainWnd.h"), "");
    EXPECT_NE(Judge(matrix, "commerce", "devices/DevicePage.h"), "");
    EXPECT_NE(Judge(matrix, "service", "net/ServiceCall.h"), "");
    // Downwards, a feature's records, the state ClientManager owns, the
    // window composing pages, the generated configuration.
    EXPECT_EQ(Judge(matrix, "net", "platform/Utf8.h"), "");
    EXPECT_EQ(Judge(matrix, "commerce", "devices/DeviceMembers.h"), "");
    EXPECT_EQ(Judge(matrix, "app", "devices/DeviceMembers.h"), "");
    EXPECT_EQ(Judge(matrix, "app/window", "devices/DevicePage.h"), "");
    EXPECT_EQ(Judge(matrix, "platform", "app/BuildConfig.h"), "");
    EXPECT_EQ(Judge(matrix, "devices/control", "devices/Screenshot.h"), "");
    EXPECT_EQ(Judge(matrix, "service", "stream/StreamProtocol.h"), "");
}

} // namespace
