#include "tests/support/ServiceTest.h"

#include <cstdlib>

#include "net/ClusterCurl.h"
#include "net/ServiceAddress.h"

namespace korvana::test {

std::unique_ptr<ServiceProcess> ServiceTest::s_service;

void ServiceTest::SetUpTestSuite()
{
    // Loopback traffic never goes through a proxy the environment names.
    ::setenv("no_proxy", "*", 1);
    ::setenv("NO_PROXY", "*", 1);
    if (!s_service)
        s_service = std::make_unique<ServiceProcess>("demo");
}

void ServiceTest::TearDownTestSuite()
{
    s_service.reset();
}

void ServiceTest::SetUp()
{
    ASSERT_TRUE(s_service && s_service->running()) << (s_service ? s_service->error() : "no service");
    m_control = std::make_unique<ServiceControl>(s_service->url(""));
    m_control->Reset("demo");
    SetServiceAddress(s_service->host(), s_service->port());
    SetServiceTransportForTesting({}); // this service speaks plain HTTP, whatever the build's choice
    ClusterCurl::setCookieJarPath("");
    ClusterCurl::setLocalCookieFilePath(cookieFile());
}

void ServiceTest::TearDown()
{
    ClusterCurl::setCookieJarPath("");
    ClusterCurl::setLocalCookieFilePath("");
}

} // namespace korvana::test
