// TLS to the service: a throw-away CA and server certificates made here with
// openssl, korvana-service with --tls-cert/--tls-key, the client's transport
// switched to https with the CA pinned. The set: login, device list, an icon
// download and an upload; then the certificates that must fail (another CA,
// expired, another host name) and the two mismatches of TLS and plain HTTP.
// The play stream the same way: the player of an https client streams over
// TLS, and sends no session to a stream it cannot verify or that is plain.
#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "StreamClient.h"
#include "account/Login.h"
#include "app/BuildConfig.h"
#include "app/ClientManager.h"
#include "app/LocalPaths.h"
#include "app/Messages.h"
#include "app/Task.h"
#include "devices/DeviceList.h"
#include "devices/control/ControlTasks.h"
#include "net/ClusterCurl.h"
#include "net/ServiceAddress.h"
#include "net/ServiceCall.h"
#include "platform/ExternalProgram.h"
#include "platform/FileSystem.h"
#include "stream/StreamProtocol.h"
#include "tests/support/ClientProcess.h"
#include "tests/support/Eventually.h"
#include "tests/support/RecordingTarget.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ServiceControl.h"
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

// What the player shows when the play stream's certificate does not verify.
const char* const kUntrustedStream = "播放流的证书未通过验证，未连接设备";
const char* const kSecretSession = "secret-play-session-4711";

// The player of an https client as the client starts it (the session in
// its environment, "-" in its place on the command line) for VM0007 at
// 127.0.0.1:port, trusting the test CA; its log goes to a file.
std::unique_ptr<ClientProcess> StartPlayer(
    const std::string& port, const std::string& caFile, const fs::path& status, const fs::path& log)
{
    const std::string self = RunningProgramPath();
    return std::make_unique<ClientProcess>(self.substr(0, self.rfind('/')) + "/../app/window/ZorIzoriz",
        std::map<std::string, std::string> { { "KORVANA_PLAY_SESSION", kSecretSession },
            { "KORVANA_PLAY_SCHEME", "https" }, { "KORVANA_PLAY_CA", caFile },
            { "KORVANA_TOOL_STATUS", status.string() } },
        log.string(),
        std::vector<std::string> { "VM0007", "127.0.0.1", port, "-", "42", "1", "0", "not", "0", "pad" });
}

// Sends bytes to a loopback port and reads until the peer closes; false if
// it could not connect or the peer kept the connection open.
bool SendAndSeeItClosed(int port, const std::string& bytes)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool closed = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
        for (;;) {
            pollfd pfd { fd, POLLIN, 0 };
            if (::poll(&pfd, 1, 20000) <= 0)
                break;
            char buffer[4096];
            if (::recv(fd, buffer, sizeof buffer, 0) <= 0) {
                closed = true;
                break;
            }
        }
    }
    ::close(fd);
    return closed;
}

// The certificates of one test run, below one folder.
class Certificates {
public:
    Certificates()
    {
        const std::string dir = m_dir.path().string();
        auto key = [&](const std::string& name) {
            return "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:prime256v1 -out " + dir + "/"
                + name + ".key";
        };
        auto ca = [&](const std::string& name) {
            return key(name) + " && openssl req -x509 -new -key " + dir + "/" + name + ".key -out " + dir
                + "/" + name + ".pem -days 2 -subj /CN=" + name;
        };
        // A server certificate for `names`, signed by `by`, valid `days`
        // (-1: it expired before it began).
        auto server
            = [&](const std::string& name, const std::string& by, const std::string& names, int days) {
                  const std::string ext = dir + "/" + name + ".ext";
                  std::ofstream(ext) << "subjectAltName=" << names << "\nbasicConstraints=CA:FALSE\n";
                  return key(name) + " && openssl req -new -key " + dir + "/" + name + ".key -out " + dir
                      + "/" + name + ".csr -subj /CN=" + name + " && openssl x509 -req -in " + dir + "/"
                      + name + ".csr -CA " + dir + "/" + by + ".pem -CAkey " + dir + "/" + by
                      + ".key -CAcreateserial -out " + dir + "/" + name + ".pem -days " + std::to_string(days)
                      + " -extfile " + ext;
              };
        const std::string local = "IP:127.0.0.1,DNS:localhost";
        m_ok = Shell(ca("ca")) && Shell(ca("other-ca")) && Shell(server("good", "ca", local, 2))
            && Shell(server("foreign", "other-ca", local, 2)) && Shell(server("expired", "ca", local, -1))
            && Shell(server("elsewhere", "ca", "DNS:service.example.org", 2));
    }
    bool ok() const { return m_ok; }
    std::string File(const std::string& name) const { return (m_dir.path() / name).string(); }
    std::vector<std::string> ServiceArguments(const std::string& name) const
    {
        return { "--tls-cert", File(name + ".pem"), "--tls-key", File(name + ".key") };
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
        SetServiceTransportForTesting(
            { std::string(korvana::build::kServiceScheme) == "https", korvana::build::kServiceCaFile });
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
        m_control
            = std::make_unique<ServiceControl>(m_service->url(""), s_certificates->File("ca.pem"), false);
        SetServiceAddress(m_service->host(), m_service->port());
        SetServiceTransportForTesting({ clientTls, s_certificates->File("ca.pem") });
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
    nlohmann::json Control(const std::string& path)
    {
        return nlohmann::json::parse(control().Get(path).body);
    }
    // The play stream: port, connections and the hellos it has read.
    nlohmann::json StreamState() { return Control("/__test/control/stream"); }
    nlohmann::json Inputs(const std::string& id)
    {
        return Control("/__test/control/inputs?id=" + id)["inputs"];
    }

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

TEST_F(TlsTest, ThePlayerOfATlsClientStreamsOverVerifiedTls)
{
    Start("good", true);
    Login();
    ASSERT_EQ(m_client->user.loginState, kLoginStateLoggedIn);
    const std::string self = RunningProgramPath();
    SetExternalProgramFolderForTesting(self.substr(0, self.rfind('/')) + "/../app/window");
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    const fs::path status = m_folder.path() / "status.txt";
    ScopedEnv statusFile("KORVANA_TOOL_STATUS", status.string());
    // The player shows the 720 x 1280 screen at half size.
    ScopedEnv click("KORVANA_TOOL_CLICK", "100,200");

    RecordingTarget window;
    auto owner = std::make_shared<ClientManager>(&window);
    owner->user.userId = "42";
    DeviceRecord device;
    device.id = L"7";
    device.sn = L"VM0007";
    device.name = L"pad";
    device.online = true;
    owner->devices.devices.push_back(device);
    StartTaskWith(owner, &PlayDevice, PlayRequest { 0, owner->user.userId });
    // The player got the https transport and the pinned CA from the client:
    // pictures came, and its click reached the device.
    EXPECT_TRUE(Eventually([&] { return Inputs("7") == nlohmann::json::array({ "tap 200 400" }); }, 20000))
        << ReadFile(status);
    EXPECT_NE(ReadFile(status).find("frame"), std::string::npos) << ReadFile(status);
    EXPECT_EQ(StreamState()["hellos"], 1);
    EXPECT_EQ(control().RequestsTo("/api/qtz/front_device_play_url").size(), 1u);
    CloseAllPlayersOf(*owner);
    EXPECT_TRUE(WaitForAllTasks(std::chrono::seconds(20)));
    EXPECT_TRUE(Eventually([&] { return StreamState()["connections"] == 0; }));
    SetExternalProgramFolderForTesting("");
    owner->DetachWindow();
}

TEST_F(TlsTest, InputsFromAnotherThreadWhileThePlayerReadsItsTlsStream)
{
    Start("good", true);
    Login();
    ASSERT_EQ(m_client->user.loginState, kLoginStateLoggedIn);
    const nlohmann::json sessions = control().Sessions();
    const nlohmann::json& list = sessions.is_array() ? sessions : sessions.at("sessions");
    ASSERT_FALSE(list.empty());
    const std::string token = list[0].at("token").get<std::string>();
    const auto answer = nlohmann::json::parse(
        control().Post("/api/qtz/front_device_play_url", "&id=7", "korvana_session=" + token).body);
    const std::string port
        = nlohmann::json::parse(answer["message"].get<std::string>())["port"].get<std::string>();

    std::atomic<int> pictures { 0 };
    std::atomic<std::uint32_t> shown { 0 };
    StreamClient::Events events;
    events.picture = [&](StreamPicture picture) {
        ++pictures;
        shown = std::max(shown.load(), picture.inputSeq);
    };
    StreamClient player(
        { "127.0.0.1", port, "VM0007", token, "42", 360, 640, true, s_certificates->File("ca.pem") }, events);
    player.Start();
    ASSERT_TRUE(Eventually([&] { return pictures > 0; }, 20000));
    // This thread writes on the connection while the worker reads from it.
    std::uint32_t last = 0;
    for (int i = 0; i < 200; ++i) {
        stream::Input tap;
        tap.kind = stream::Input::Kind::Tap;
        tap.path = { { 10 + 3 * i, 700 } };
        last = player.Send(tap);
        ASSERT_NE(last, 0u) << "tap " << i;
    }
    EXPECT_TRUE(Eventually([&] { return shown >= last; }, 20000));
    EXPECT_EQ(Inputs("7").size(), 200u);
    player.Stop();
    // Its goodbye went over TLS too: the service ends the stream.
    EXPECT_TRUE(Eventually([&] { return StreamState()["connections"] == 0; }));
}

TEST_F(TlsTest, APlayerSendsNoSessionToAPlayStreamItCannotVerify)
{
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    struct Case {
        std::string certificate;
        std::string reason; // as the player's log names it
    };
    for (const Case& c : { Case { "foreign", "unable to get local issuer certificate" },
             Case { "elsewhere", "IP address mismatch" }, Case { "expired", "certificate has expired" } }) {
        SCOPED_TRACE(c.certificate);
        Start(c.certificate, true);
        const fs::path status = m_folder.path() / (c.certificate + ".status");
        auto player = StartPlayer(std::to_string(StreamState()["port"].get<int>()),
            s_certificates->File("ca.pem"), status, m_folder.path() / (c.certificate + ".log"));
        ASSERT_TRUE(player->started());
        EXPECT_TRUE(
            Eventually([&] { return ReadFile(status).find(kUntrustedStream) != std::string::npos; }, 20000))
            << ReadFile(status) << player->Log();
        player->Terminate();
        EXPECT_EQ(player->WaitForExit(std::chrono::seconds(10)), 0);
        const std::string text = player->Log();
        EXPECT_NE(text.find("certificate not trusted: " + c.reason), std::string::npos) << text;
        EXPECT_EQ(text.find(kSecretSession), std::string::npos);
        EXPECT_EQ(ReadFile(status).find("frame"), std::string::npos);
        EXPECT_EQ(StreamState()["hellos"], 0);
    }
}

TEST_F(TlsTest, TlsAndPlainOnTheWrongStreamPortCarryNoSession)
{
    // A plain hello to a TLS stream is no handshake: the connection ends
    // and nothing was read as a hello.
    Start("good", true);
    EXPECT_TRUE(SendAndSeeItClosed(
        StreamState()["port"].get<int>(), stream::EncodeHello({ kSecretSession, "VM0007", "42", 0, 0 })));
    EXPECT_EQ(StreamState()["hellos"], 0);
    EXPECT_EQ(control().Get("/__test/ping").status, 200);

    // A TLS player at a plain stream: its handshake fails again and again,
    // and the session is never sent in the clear.
    Start("", false);
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    const fs::path status = m_folder.path() / "status.txt";
    auto player = StartPlayer(std::to_string(StreamState()["port"].get<int>()),
        s_certificates->File("ca.pem"), status, m_folder.path() / "player.log");
    ASSERT_TRUE(player->started());
    EXPECT_TRUE(Eventually(
        [&] {
            const std::string text = player->Log();
            const auto first = text.find("TLS handshake");
            return first != std::string::npos && text.find("TLS handshake", first + 1) != std::string::npos;
        },
        20000))
        << player->Log();
    EXPECT_NE(ReadFile(status).find("正在重新连接"), std::string::npos) << ReadFile(status);
    player->Terminate();
    EXPECT_EQ(player->WaitForExit(std::chrono::seconds(10)), 0);
    EXPECT_EQ(player->Log().find(kSecretSession), std::string::npos);
    EXPECT_EQ(StreamState()["hellos"], 0);
    EXPECT_EQ(ReadFile(status).find("frame"), std::string::npos);
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
    ExpectRefusedLogin("127.0.0.1"); // libcurl names the host the certificate does not match
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

} // namespace
