#pragma once

#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "tests/support/ServiceControl.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TempDir.h"

namespace korvana::test {

// Base fixture of integration tests against korvana-service:
// - one service process per test suite (demo world), started on a free port;
// - before each test: the world reset to demo with no faults and an empty
//   request log, the client pointed at the service (SetServiceAddress), and a
//   fresh per-test folder whose cookies.txt is the client's local cookie file
//   (ClusterCurl::setLocalCookieFilePath) while the cookie jar path is empty,
//   as at the start of a run.
//
//   class LoginTest : public korvana::test::ServiceTest {};
//   TEST_F(LoginTest, SetsCookie) { ...; auto log = control().RequestsTo("/api/..."); }
class ServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static ServiceProcess& service() { return *s_service; }
    ServiceControl& control() { return *m_control; }
    // The per-test folder and its cookie file path (8-bit).
    const std::filesystem::path& folder() const { return m_folder.path(); }
    std::string cookieFile() const { return (m_folder.path() / "cookies.txt").string(); }

private:
    static std::unique_ptr<ServiceProcess> s_service;
    std::unique_ptr<ServiceControl> m_control;
    TempDir m_folder;
};

} // namespace korvana::test
