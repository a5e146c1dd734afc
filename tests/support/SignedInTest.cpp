#include "tests/support/SignedInTest.h"

#include <filesystem>

#include "account/Login.h"
#include "app/LocalPaths.h"

namespace korvana::test {

SignedInTest::SignedInTest(RecordingTarget::TextRule carriesText, SignInAt when)
    : m_carriesText(std::move(carriesText))
    , m_signInAt(when)
{
    Fresh();
}

void SignedInTest::SetUp()
{
    ServiceTest::SetUp();
    if (HasFatalFailure())
        return;
    const LocalPaths& paths = InitLocalPaths(folder().string());
    for (const PathText* sub : { &paths.folder, &paths.imageCache, &paths.iconCache })
        std::filesystem::create_directories(sub->narrow);
    if (m_signInAt == SignInAt::SetUp) {
        SignIn();
        control().ClearLog();
    }
}

void SignedInTest::SignIn(const std::wstring& name, const std::wstring& password)
{
    client->user.loginName = name;
    client->user.loginPassword = password;
    RequestLogin(*client, 0);
    ASSERT_EQ(client->user.loginState, kLoginStateLoggedIn) << "signing in as a test's user failed";
}

void SignedInTest::Fresh()
{
    auto target = std::make_unique<RecordingTarget>(m_carriesText);
    auto state = std::make_shared<ClientManager>(target.get());
    client = std::move(state); // the old state lets go of its window first
    window = std::move(target);
}

} // namespace korvana::test
