#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/InstanceLock.h"
#include "tests/support/HelperProcess.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace {

using korvana::test::HelperRole;
using korvana::test::RunHelperProcess;
using korvana::test::ScopedEnv;
using korvana::test::TempDir;

constexpr const char* kName = "{31c8110d-731d-fb82-52c3-3a31c800530e3a707ff}";

int RunLockHelper()
{
    return RunHelperProcess("InstanceLockHelper.*", "lock");
}

TEST(InstanceLockHelper, TakeLockInThisProcess)
{
    if (HelperRole() != "lock")
        GTEST_SKIP() << "runs only as the helper process of the lock tests";
    std::_Exit(10 + static_cast<int>(AcquireInstanceLock(kName)));
}

TEST(InstanceLock, ASecondProcessFindsTheFirstRunning)
{
    TempDir runtime;
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().string());
    EXPECT_EQ(InstanceLockPath(kName), runtime.path().string() + "/" + kName + ".lock");

    // Nobody holds it: a helper gets it, and it is free again once that process ends.
    EXPECT_EQ(RunLockHelper(), 10 + static_cast<int>(InstanceLockResult::Acquired));
    EXPECT_EQ(RunLockHelper(), 10 + static_cast<int>(InstanceLockResult::Acquired));

    ASSERT_EQ(AcquireInstanceLock(kName), InstanceLockResult::Acquired);
    EXPECT_EQ(RunLockHelper(), 10 + static_cast<int>(InstanceLockResult::AlreadyRunning));
    // Held for the life of the process: asking again here finds it taken too.
    EXPECT_EQ(AcquireInstanceLock(kName), InstanceLockResult::AlreadyRunning);
}

TEST(InstanceLock, WithoutRuntimeFolderTheLockIsPerUserInTheTemporaryFolder)
{
    ScopedEnv env("XDG_RUNTIME_DIR", std::nullopt);
    TempDir tmp;
    ScopedEnv tmpdir("TMPDIR", tmp.path().string());
    EXPECT_EQ(InstanceLockPath("n"), tmp.path().string() + "/n-" + std::to_string(::getuid()) + ".lock");
}

TEST(InstanceLock, AnUnusableFolderLetsTheClientRunUnlocked)
{
    ScopedEnv env("XDG_RUNTIME_DIR", "/proc/no-such-folder");
    EXPECT_EQ(AcquireInstanceLock(kName), InstanceLockResult::Unavailable);
}

} // namespace
