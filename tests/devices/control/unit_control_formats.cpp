// The texts device control hands to the external programs, the upload name
// rule, the command-line split and the shared section's layout.
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "devices/DeviceMembers.h"
#include "devices/control/ControlFormats.h"
#include "devices/control/UploadRules.h"
#include "net/JsonRead.h"
#include "net/TextConvert.h"
#include "platform/ExternalProgram.h"
#include "platform/SharedSection.h"

namespace {

DeviceRecord Device(std::wstring id, std::wstring sn, std::wstring name, std::wstring ip, std::wstring port)
{
    DeviceRecord device;
    device.id = std::move(id);
    device.sn = std::move(sn);
    device.name = std::move(name);
    device.ip = std::move(ip);
    device.port = std::move(port);
    return device;
}

TEST(PlayerCommandLine, JoinsTheFieldsWithSingleSpacesAndKeepsTheNameAsItIs)
{
    const DeviceRecord pad = Device(L"7", L"VM01", L"My pad", L"10.0.0.5", L"9000");
    // The session's place holds "-": the session itself goes in the environment.
    EXPECT_EQ(PlayerCommandLine(pad, L"42"), L"ZorIzoriz.exe VM01 10.0.0.5 9000 - 42 1 0 not 0 My pad");
    // Empty fields still get their separators.
    const DeviceRecord bare = Device(L"8", L"", L"", L"", L"");
    EXPECT_EQ(PlayerCommandLine(bare, L"42"), L"ZorIzoriz.exe    - 42 1 0 not 0 ");
}

TEST(PlayerCommandLine, SplitsIntoTheArgumentsThePlayerGets)
{
    const DeviceRecord pad = Device(L"7", L"VM01", L"My pad", L"10.0.0.5", L"9000");
    const auto words = SplitCommandLine(WideToUtf8(PlayerCommandLine(pad, L"42")));
    const std::vector<std::string> expected { "ZorIzoriz", "VM01", "10.0.0.5", "9000", "-", "42", "1", "0",
        "not", "0", "My", "pad" };
    EXPECT_EQ(words, expected);
    // Two spaces give an empty argument; ".exe" only goes at the end of the first word.
    EXPECT_EQ(SplitCommandLine("a.exe  b"), (std::vector<std::string> { "a", "", "b" }));
    EXPECT_EQ(SplitCommandLine("x.exe.y z.exe"), (std::vector<std::string> { "x.exe.y", "z.exe" }));
    EXPECT_TRUE(SplitCommandLine("").empty());
}

TEST(ProgramBesideClient, NeverLeavesTheClientsFolder)
{
    SetExternalProgramFolderForTesting("/opt/korvana");
    EXPECT_EQ(ProgramBesideClient("ZorIzoriz"), "/opt/korvana/ZorIzoriz");
    EXPECT_EQ(ProgramBesideClient("../bin/sh"), "");
    EXPECT_EQ(ProgramBesideClient("/bin/sh"), "");
    EXPECT_EQ(ProgramBesideClient(".."), "");
    EXPECT_EQ(ProgramBesideClient(""), "");
    SetExternalProgramFolderForTesting("");
    EXPECT_FALSE(StartExternalProgram("no-such-program-here.exe a b"));
}

TEST(SyncDeviceList, IsOneArrayWithTheKeysInOrderAndThePortAsANumber)
{
    const DeviceRecord a = Device(L"7", L"VM01", L"My pad", L"10.0.0.5", L"5000");
    const DeviceRecord b = Device(L"9", L"VM02", L"二号机", L"10.0.0.6", L"5001");
    EXPECT_EQ(SyncDeviceList({ &a, &b }, L"S2", L"42"),
        L"[{\"SessionID\":\"S2\",\"UserID\":\"42\",\"PadCode\":\"VM01\",\"PadID\":\"7\",\"PadName\":\"My "
        L"pad\","
        L"\"Ip\":\"10.0.0.5\",\"Port\":5000},"
        L"{\"SessionID\":\"S2\",\"UserID\":\"42\",\"PadCode\":\"VM02\",\"PadID\":\"9\",\"PadName\":"
        L"\"二号机\","
        L"\"Ip\":\"10.0.0.6\",\"Port\":5001}]");
    EXPECT_EQ(SyncDeviceList({}, L"S", L"42"), L"[]");
}

TEST(SyncDeviceList, NamesWithQuotesOrBackslashesCannotBreakTheArray)
{
    const DeviceRecord odd = Device(L"7", L"VM\\01", L"a \"b\" \\c\n", L"10.0.0.5", L"");
    const DeviceRecord junk = Device(L"8", L"VM02", L"x", L"10.0.0.6", L"50}00");
    const std::wstring text = SyncDeviceList({ &odd, &junk }, L"S", L"42");
    EXPECT_NE(text.find(L"\"PadName\":\"a \\\"b\\\" \\\\c\\u000a\""), std::wstring::npos);
    // A port text that is no number still gives a number.
    EXPECT_NE(text.find(L"\"Port\":0}"), std::wstring::npos);
    EXPECT_EQ(text.find(L"50}00"), std::wstring::npos);
    json::Document parsed = json::Parse(WideToUtf8(text));
    ASSERT_TRUE(json::IsArray(parsed.get()));
    int count = 0;
    for (const cJSON* item : json::Elements(parsed.get())) {
        if (count == 0) {
            EXPECT_EQ(json::Utf8Text(item, "PadName"), L"a \"b\" \\c\n");
            EXPECT_EQ(json::Utf8Text(item, "PadCode"), L"VM\\01");
        }
        ++count;
    }
    EXPECT_EQ(count, 2);
}

TEST(UploadName, FollowsTheRuleOverTheWholeName)
{
    EXPECT_TRUE(IsAcceptedUploadName(L"截图(1).png"));
    EXPECT_TRUE(IsAcceptedUploadName(L"a[1]@b_c-d.tar.gz"));
    EXPECT_TRUE(IsAcceptedUploadName(L"\uf900\ufa2d\u4e00\u9fa5"));
    EXPECT_TRUE(IsAcceptedUploadName(std::wstring(50, L'x')));
    EXPECT_FALSE(IsAcceptedUploadName(std::wstring(51, L'x')));
    EXPECT_FALSE(IsAcceptedUploadName(L"我的 文件.txt"));
    EXPECT_FALSE(IsAcceptedUploadName(L""));
    EXPECT_FALSE(IsAcceptedUploadName(L"a;rm -rf.txt"));
    EXPECT_FALSE(IsAcceptedUploadName(L"名\u9fa6")); // just past the ideograph range
    EXPECT_FALSE(IsAcceptedUploadName(L"\u3000full")); // an ideographic space
    EXPECT_FALSE(IsAcceptedUploadName(L"ok.txt\n")); // the end is the end of the name
    EXPECT_EQ(UploadFileName(L"/home/u/截图(1).png"), L"截图(1).png");
    EXPECT_EQ(UploadFileName(L"C:\\x\\y.txt"), L"y.txt");
    EXPECT_EQ(UploadFileName(L"plain"), L"plain");
}

class SyncSectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_name = "/korvana-test-" + std::to_string(getpid());
        SetSyncSectionNameForTesting(m_name);
    }
    void TearDown() override
    {
        SetSyncSectionNameForTesting("");
        shm_unlink(m_name.c_str());
    }
    std::string m_name;
};

TEST_F(SyncSectionTest, HoldsTheTextThenZerosOverTheWholeMegabyte)
{
    ASSERT_TRUE(WriteSyncSection(std::string(5000, 'x')));
    ASSERT_TRUE(WriteSyncSection("[{\"a\":1}]"));
    EXPECT_EQ(ReadSyncSection(), "[{\"a\":1}]");

    const int fd = shm_open(m_name.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    struct stat info { };
    ASSERT_EQ(fstat(fd, &info), 0);
    EXPECT_EQ(info.st_size, 1048576);
    auto* bytes = static_cast<const char*>(mmap(nullptr, kSyncSectionSize, PROT_READ, MAP_SHARED, fd, 0));
    close(fd);
    ASSERT_NE(bytes, MAP_FAILED);
    std::size_t nonZero = 0;
    for (std::size_t i = 9; i < kSyncSectionSize; ++i)
        nonZero += bytes[i] != 0;
    EXPECT_EQ(nonZero, 0u); // the longer text before is gone
    munmap(const_cast<char*>(bytes), kSyncSectionSize);
}

TEST_F(SyncSectionTest, RefusesATextThatLeavesNoRoomForItsZero)
{
    EXPECT_TRUE(WriteSyncSection(std::string(kSyncSectionSize - 1, 'y')));
    EXPECT_FALSE(WriteSyncSection(std::string(kSyncSectionSize, 'z')));
    EXPECT_EQ(ReadSyncSection().size(), kSyncSectionSize - 1);
}

TEST_F(SyncSectionTest, IsMadeAfreshForTheUserOnlyAndRemovedAtTheEnd)
{
    // A section left by an earlier run, readable by all and full of old text.
    const int stale = shm_open(m_name.c_str(), O_CREAT | O_RDWR, 0644);
    ASSERT_GE(stale, 0);
    fchmod(stale, 0644);
    ASSERT_EQ(ftruncate(stale, 4096), 0);
    ASSERT_EQ(write(stale, "[\"stale\"]", 9), 9);
    struct stat before { };
    fstat(stale, &before);
    close(stale);

    ASSERT_TRUE(WriteSyncSection("[1]"));
    EXPECT_EQ(ReadSyncSection(), "[1]");
    const int fd = shm_open(m_name.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    struct stat after { };
    ASSERT_EQ(fstat(fd, &after), 0);
    close(fd);
    EXPECT_EQ(after.st_mode & 07777, 0600u);
    EXPECT_EQ(after.st_size, 1048576);
    EXPECT_NE(after.st_ino, before.st_ino); // not the old one rewritten

    RemoveSyncSection();
    EXPECT_LT(shm_open(m_name.c_str(), O_RDONLY, 0), 0);
    EXPECT_EQ(errno, ENOENT);
    RemoveSyncSection(); // twice is harmless
}

TEST(SyncSectionName, IsPerUser)
{
    EXPECT_EQ(SyncSectionNameFor(1000), "/moreplay1000");
    EXPECT_NE(SyncSectionNameFor(1000), SyncSectionNameFor(1001));
    EXPECT_EQ(SyncSectionName(), SyncSectionNameFor(getuid()));
}

// Runs WriteSyncSection (or a squat of `squat`) as another user in a child;
// its exit code: 0 written, 1 refused, 2 could not become that user.
int WriteAsUser(uid_t user, const std::string& squat = {})
{
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(user) != 0)
            _exit(2);
        if (!squat.empty()) {
            const int fd = shm_open(squat.c_str(), O_CREAT | O_EXCL | O_RDWR, 0666);
            _exit(fd >= 0 && fchmod(fd, 0666) == 0 ? 0 : 1);
        }
        _exit(WriteSyncSection("[\"" + std::to_string(user) + "\"]") ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

TEST(SyncSectionName, TwoUsersSectionsDoNotCollideAndASquattedNameIsRefused)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as two other users";
    const uid_t first = 65531;
    const uid_t second = 65532;
    for (uid_t u : { first, second, static_cast<uid_t>(65533) })
        shm_unlink(SyncSectionNameFor(u).c_str());
    // With one machine-wide name the second user's start failed (EACCES).
    ASSERT_EQ(WriteAsUser(first), 0);
    EXPECT_EQ(WriteAsUser(second), 0);
    for (uid_t u : { first, second }) {
        const int fd = shm_open(SyncSectionNameFor(u).c_str(), O_RDONLY, 0);
        ASSERT_GE(fd, 0);
        struct stat info { };
        fstat(fd, &info);
        char text[16] = {};
        void* view = mmap(nullptr, 16, PROT_READ, MAP_SHARED, fd, 0);
        close(fd);
        ASSERT_NE(view, MAP_FAILED);
        std::memcpy(text, view, 15);
        munmap(view, 16);
        EXPECT_EQ(info.st_uid, u);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        EXPECT_EQ(std::string(text), "[\"" + std::to_string(u) + "\"]");
    }
    // Another user who made the name first gets nothing written into it.
    const uid_t victim = 65533;
    ASSERT_EQ(WriteAsUser(first, SyncSectionNameFor(victim)), 0);
    EXPECT_EQ(WriteAsUser(victim), 1);
    for (uid_t u : { first, second, victim })
        shm_unlink(SyncSectionNameFor(u).c_str());
}

} // namespace
