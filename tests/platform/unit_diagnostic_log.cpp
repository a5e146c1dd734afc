#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform/DebugLog.h"
#include "tests/support/TempDir.h"

namespace {

// Runs `log` with standard error sent to a file and returns what it wrote.
template <typename Fn> std::string CaptureStderr(Fn log)
{
    korvana::test::TempDir dir;
    const std::string path = (dir.path() / "stderr.txt").string();
    std::fflush(stderr);
    int saved = ::dup(STDERR_FILENO);
    FILE* file = std::fopen(path.c_str(), "w");
    ::dup2(::fileno(file), STDERR_FILENO);
    log();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::fclose(file);
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(DebugLog, OneLinePerCallInUtf8)
{
    EXPECT_EQ(CaptureStderr([] { DebugLogA("curl send msg error: pRes=%s, lResCode=%ld \n", "x", 404L); }),
        "curl send msg error: pRes=x, lResCode=404 \n");
    EXPECT_EQ(CaptureStderr([] { DebugLogW(L"Curl Perform FAILED,Error:%d\n", 7); }),
        "Curl Perform FAILED,Error:7\n");
    EXPECT_EQ(CaptureStderr([] { DebugLogW(L"%ls\n", L"张三"); }), "张三\n");
    EXPECT_EQ(CaptureStderr([] { DebugLogA("no newline"); }), "no newline\n");
}

TEST(DebugLog, LinesOfAnyLengthUpToTheBufferAreWhole)
{
    // Around the size a line is formatted in first, and well beyond it.
    for (std::size_t length : { 1022u, 1023u, 1024u, 1025u, 5000u, 40958u }) {
        const std::string narrow(length, 'n');
        EXPECT_EQ(CaptureStderr([&] { DebugLogA("%s\n", narrow.c_str()); }), narrow + "\n") << length;
        const std::wstring wide(length, L'w');
        EXPECT_EQ(CaptureStderr([&] { DebugLogW(L"%ls\n", wide.c_str()); }), std::string(length, 'w') + "\n")
            << length;
    }
}

TEST(DebugLog, OverlongOutputIsCutAtTheBuffer)
{
    const std::string narrow(50000, 'a');
    std::string a = CaptureStderr([&] { DebugLogA("%s\n", narrow.c_str()); });
    EXPECT_EQ(a, std::string(40959, 'a') + "\n");
    const std::wstring wide(50000, L'中');
    std::string w = CaptureStderr([&] { DebugLogW(L"%ls\n", wide.c_str()); });
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w.back(), '\n');
    EXPECT_LE(w.size(), 40960u * 3 + 1);
    EXPECT_EQ(w.substr(0, 3), "中");
}

} // namespace
