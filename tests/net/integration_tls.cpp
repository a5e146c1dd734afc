// TLS to the service: a throw-away CA and server certificates made here with
// openssl, korvana-service with --tls-cert/--tls-key, the client's transport
// switched to https with the CA pinned. The set: login, device list, an icon
// download and an upload; then the certificates that must fail (another CA,
// expired, another host name) and the two mismatches of TLS and plain HTTP.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "account/Login.h"
#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "app/BuildConfig.h"
#include "app/Task.h"
#include "devices/DeviceList.h"
#include "devices/control/ControlTasks.h"
#include "platform/ExternalProgram.h"
#include "platform/FileSystem.h"
#include "net/ClusterCurl.h"
#include "net/ServiceAddress.h"
#include "net/ServiceCall.h"
#include "tests/support/Eventually.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/ServiceControl.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/StderrCapture.h"
#include "tests/support/TempDir.h"

namespace {

using namespace korvana::test;
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}


bool Shell(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// The certificates of one test run, below one folder.
class Certificates {
public:
    Certificates()
    {
        const std::string dir = m_dir.path().string();
        auto key = [&](const std::string& name) {
            return "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:prime256v1 -out " + dir + "/" + name +
                   ".key";
        };
        auto ca = [&](const std::string& name) {
            return key(name) + " && openssl req -x509 -new -key " + dir + "/" + name + ".key -out " + dir + "/" +
                   name + ".pem -days 2 -subj /CN=" + name;
        };
        // A server certificate for `names`, signed by `by`, valid `days`
        // (-1: it expired before it began).
        auto server = [&](const std::string& name, const std::string& by, const std::string& names, int days) {
            const std::string ext = dir + "/" + name + ".ext";
            std::ofstream(ext) << "subjectAltName=" << names << "\nbasicConstraints=CA:FALSE\n";
            return key(name) + " && openssl req -new -key " + dir + "/" + name + ".key -out " + dir + "/" + name +
                   ".csr -subj /CN=" + name + " && openssl x509 -req -in " + dir + "/" + name + ".csr -CA " + dir +
                   "/" + by + ".pem -CAkey " + dir + "/" + by + ".key -CAcreateserial -out " + dir + "/" + name +
                   ".pem -days " + std::to_string(days) + " -extfile " + ext;
        };
        const std::string local = "IP:127.0.0.1,DNS:localhost";
        m_ok = Shell(ca("ca")) && Shell(ca("other-ca")) && Shell(server("good", "ca", local, 2)) &&
               Shell(server("foreign", "other-ca", local, 2)) && Shell(server("expired", "ca", local, -1)) &&
               Shell(server("elsewhere", "ca", "DNS:service.example.org", 2));
    }
    bool ok() const { return m_ok; }
    std::string File(const std::string& name) const { return (m_dir.path() / name).string(); }
    std::vector<std::string> ServiceArguments(const std::string& name) const
    {
        return {"--tls-cert", File(name + ".pem"), "--tls-key", File(name + ".key")};
    }

private:
    TempDir m_dir;
    bool m_ok = false;
};

class TlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::setenv("no_proxy", "*", 1);
        ::setenv("NO_PROXY", "*", 1);
        s_certificates = std::make_unique<Certificates>();
    }
    static void TearDownTestSuite() { s_certificates.reset(); }

    void SetUp() override
    {
        if (!s_certificates->ok())
            GTEST_SKIP() << "openssl could not make the test certificates";
        InitLocalPaths(m_folder.path().string());
        fs::create_directories(GetLocalPaths().iconCache.narrow);
        ClusterCurl::setCookieJarPath("");
        ClusterCurl::setLocalCookieFilePath(GetLocalPaths().cookieFile.narrow);
    }
    void TearDown() override
    {
        SetServiceTransportForTesting({std::string(korvana::build::kServiceScheme) == "https",
                                       korvana::build::kServiceCaFile});
        SetServiceAddress(korvana::build::kServiceHost, korvana::build::kServicePort);
        ClusterCurl::setCookieJarPath("");
        ClusterCurl::setLocalCookieFilePath("");
    }

    // A service with the named certificate ("" for plain HTTP), the client
    // pointed at it speaking TLS or not, and its control channel.
    void Start(const std::string& certificate, bool clientTls)
    {
        m_service = certificate.empty()
                        ? std::make_unique<ServiceProcess>("demo")
                        : std::make_unique<ServiceProcess>("demo", s_certificates->ServiceArguments(certificate));
        ASSERT_TRUE(m_service->running()) << m_service->error();
        // The control channel trusts what the test made, bad certificates too.
        m_control = std::make_unique<ServiceControl>(m_service->url(""), s_certificates->File("ca.pem"), false);
        SetServiceAddress(m_service->host(), m_service->port());
        SetServiceTransportForTesting({clientTls, s_certificates->File("ca.pem")});
    }

    // The login task as the sign-in page runs it: the text it reports.
    std::wstring Login()
    {
        RecordingTarget window([](UINT message, WPARAM) { return message == msg::UM_LOGIN; });
        m_client = std::make_shared<ClientManager>(&window);
        m_client->user.loginName = L"demo";
        m_client->user.loginPassword = L"korvana123";
        RequestLogin(*m_client, 0);
        std::wstring text = L"<no answer>";
        for (const RecordedMessage& m : window.Messages()) {
            if (m.msg == msg::UM_LOGIN)
                text = m.text;
        }
        m_client->DetachWindow();
        return text;
    }

    // A login that must fail at the transport: the design's text, and not a
    // byte of the request reached the service's handlers.
    void ExpectRefusedLogin(const char* reasonInLog)
    {
        StderrCapture log;
        EXPECT_EQ(Login(), kRequestFailedText);
        EXPECT_NE(m_client->user.loginState, kLoginStateLoggedIn);
        EXPECT_TRUE(m_control->RequestLog().empty());
        if (reasonInLog != nullptr) {
            EXPECT_NE(log.Text().find(reasonInLog), std::string::npos) << log.Text();
        }
    }

    ServiceControl& control() { return *m_control; }

    static std::unique_ptr<Certificates> s_certificates;
    TempDir m_folder;
    std::unique_ptr<ServiceProcess> m_service;
    std::unique_ptr<ServiceControl> m_control;
    std::shared_ptr<ClientManager> m_client;
};

std::unique_ptr<Certificates> TlsTest::s_certificates;

TEST_F(TlsTest, LoginDeviceListIconAndUploadGoOverVerifiedTls)
{
    Start("good", true);
    Login();
    ASSERT_EQ(m_client->user.loginState, kLoginStateLoggedIn);

    RecordingTarget window;
    auto owner = std::make_shared<ClientManager>(&window);
    LoadDeviceList(*owner, 0);
    EXPECT_FALSE(owner->devices.loaded.empty() && owner->devices.devices.empty());

    ServiceRequest icon;
    icon.path = "/app/1/icon.png";
    icon.operation = ServiceOperation::Download;
    icon.downloadFile = GetLocalPaths().iconCache.narrow + "1.png";
    EXPECT_EQ(CallService(icon).stage, ServiceStage::Answered);
    std::ifstream png(icon.downloadFile, std::ios::binary);
    char magic[4] = {};
    png.read(magic, 4);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");

    const std::string file = (m_folder.path() / "notes.txt").string();
    std::ofstream(file) << "over tls";
    ServiceRequest upload;
    upload.path = "/api/qtz/front_device_file_upload";
    upload.operation = ServiceOperation::Upload;
    upload.uploadFile = file;
    upload.uploadId = "7";
    upload.uploadIsApp = "0";
    EXPECT_TRUE(CallService(upload).succeeded());

    // The service saw each of them, with the session cookie where it goes.
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_user_login").size(), 1u);
    EXPECT_FALSE(control().RequestsTo("/api/qtz/front_device_list").empty());
    EXPECT_EQ(control().RequestsTo("/app/1/icon.png").size(), 1u);
    const auto uploads = control().RequestsTo("/api/qtz/front_device_file_upload");
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_NE(uploads[0].Header("Cookie").find("korvana_session="), std::string::npos);
    owner->DetachWindow();
}

TEST_F(TlsTest, ThePlayerOfATlsClientSendsNoSessionOverThePlainStream)
{
    Start("good", true);
    Login();
    ASSERT_EQ(m_client->user.loginState, kLoginStateLoggedIn);
    const std::string self = RunningProgramPath();
    SetExternalProgramFolderForTesting(self.substr(0, self.rfind('/')) + "/../app/window");
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    ScopedEnv status("KORVANA_TOOL_STATUS", (m_folder.path() / "status.txt").string());

    RecordingTarget window;
    auto owner = std::make_shared<ClientManager>(&window);
    owner->user.userId = "42";
    DeviceRecord device;
    device.id = L"7";
    device.sn = L"VM0007";
    device.name = L"pad";
    device.online = true;
    owner->devices.devices.push_back(device);
    StartTask(owner, &PlayDevice, 0);
    // The play address comes over verified TLS; the stream itself has no
    // encryption yet, so the player refuses it rather than send the session.
    EXPECT_TRUE(Eventually([&] {
        return ReadFile(m_folder.path() / "status.txt").find("播放流尚不支持加密连接") != std::string::npos;
    })) << ReadFile(m_folder.path() / "status.txt");
    EXPECT_EQ(ReadFile(m_folder.path() / "status.txt").find("frame"), std::string::npos);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_play_url").size(), 1u);
    CloseAllPlayersOf(*owner);
    EXPECT_TRUE(WaitForAllTasks(std::chrono::seconds(20)));
    SetExternalProgramFolderForTesting("");
    owner->DetachWindow();
}

TEST_F(TlsTest, ACertificateOfAnotherCaFailsTheLoginBeforeAnythingIsSent)
{
    Start("foreign", true);
    ExpectRefusedLogin("SSL certificate problem");
}

TEST_F(TlsTest, AnExpiredCertificateOrOneForAnotherHostIsATransferFailure)
{
    Start("expired", true);
    ExpectRefusedLogin("expired");
    Start("elsewhere", true);
    ExpectRefusedLogin("127.0.0.1");  // libcurl names the host the certificate does not match
}

TEST_F(TlsTest, TlsAndPlainHttpOnTheWrongPortAreTransferFailures)
{
    // The client speaks plain HTTP to a TLS port: no answer it can read.
    Start("good", false);
    ExpectRefusedLogin(nullptr);
    // The client speaks TLS to a plain port: the handshake fails and the
    // login is not tried again over plain HTTP.
    Start("", true);
    ExpectRefusedLogin(nullptr);
}

}  // namespace
