#pragma once

#include <memory>
#include <string>

#include "app/ClientManager.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/ServiceTest.h"

namespace korvana::test {

// Base fixture of task tests that run as a signed-in user against
// korvana-service: ServiceTest's service and per-test folder, that folder as
// the client's local data folder (with its cache folders), and a
// ClientManager whose window is a RecordingTarget. SetUp signs in as demo
// and clears the request log, unless the fixture signs in itself.
//
//   class PollTest : public SignedInTest {};
//   class ShopTest : public SignedInTest {
//       ShopTest() : SignedInTest(CarriesText, SignInAt::Test) {}
//   };
class SignedInTest : public ServiceTest {
protected:
    enum class SignInAt { SetUp, Test };
    explicit SignedInTest(RecordingTarget::TextRule carriesText = nullptr, SignInAt when = SignInAt::SetUp);
    void SetUp() override;

    // Signs in through the login request and asserts that it succeeded; the
    // request log keeps the login.
    void SignIn(const std::wstring& name = L"demo", const std::wstring& password = L"korvana123");
    // A new window stand-in and state; the session stays in the cookie file.
    void Fresh();

    std::unique_ptr<RecordingTarget> window;
    std::shared_ptr<ClientManager> client;

private:
    RecordingTarget::TextRule m_carriesText;
    SignInAt m_signInAt;
};

} // namespace korvana::test
