// The play stream against korvana-service: the session check of the hello,
// the video that follows, the device's input from the player, a dropped
// connection, SIGTERM, two players side by side, and bad bytes from either
// end.
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <fstream>
#include <netinet/in.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "StreamClient.h"
#include "service/control/DeviceScreen.h"
#include "stream/StreamProtocol.h"
#include "stream/VideoDecoder.h"
#include "tests/devices/control/ControlFixture.h"
#include "tests/support/StderrCapture.h"

extern char** environ;

namespace {

using namespace korvana::test;

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A bare protocol peer on a loopback socket.
class RawStream {
public:
    explicit RawStream(int port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    explicit RawStream(int fd, bool)
        : m_fd(fd)
        , m_connected(true)
    {
    }
    ~RawStream() { ::close(m_fd); }
    bool connected() const { return m_connected; }
    void Write(const std::string& bytes)
    {
        ASSERT_EQ(::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    // The next message, or false when the peer closed or nothing came in time.
    bool Read(stream::Message& message, int limitMs = 20000)
    {
        std::string error;
        for (;;) {
            const auto status = m_reader.Next(message, error);
            if (status == stream::FrameReader::Status::Message)
                return true;
            if (status == stream::FrameReader::Status::Bad)
                return false;
            pollfd pfd { m_fd, POLLIN, 0 };
            if (::poll(&pfd, 1, limitMs) <= 0)
                return false;
            char buffer[65536];
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                return false;
            m_reader.Feed(buffer, static_cast<std::size_t>(got));
        }
    }
    // Reads until the peer closes; false if it stays open past the limit.
    bool ClosedByPeer(int limitMs = 20000)
    {
        stream::Message message;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (std::chrono::steady_clock::now() < until) {
            if (!Read(message, limitMs))
                return true;
        }
        return false;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
    stream::FrameReader m_reader;
};

class PlayStreamTest : public ControlTaskTest {
protected:
    void SetUp() override
    {
        ControlTaskTest::SetUp();
        unsetenv("DISPLAY");
        status = folder() / "status.txt";
        setenv("KORVANA_TOOL_STATUS", status.c_str(), 1);
        cookie = "korvana_session=" + SessionToken();
    }
    void TearDown() override
    {
        ControlTaskTest::TearDown();
        unsetenv("KORVANA_TOOL_STATUS");
        unsetenv("KORVANA_TOOL_CLICK");
    }
    int StreamPort()
    {
        return control().Get("/__test/control/stream").status == 200
            ? Json("/__test/control/stream")["port"].get<int>()
            : -1;
    }
    nlohmann::json Json(const std::string& path) { return nlohmann::json::parse(control().Get(path).body); }
    // The play address of a device for this test's session.
    std::string PlayPort(const std::string& id)
    {
        const auto answer = nlohmann::json::parse(
            control().Post("/api/qtz/front_device_play_url", "&id=" + id, cookie).body);
        return nlohmann::json::parse(answer["message"].get<std::string>())["port"].get<std::string>();
    }
    stream::Message Hello(
        RawStream& raw, const std::string& session, const std::string& sn, const std::string& user)
    {
        raw.Write(stream::EncodeHello({ session, sn, user, 0, 0 }));
        stream::Message answer;
        EXPECT_TRUE(raw.Read(answer));
        return answer;
    }
    stream::Reason RefusalOf(const stream::Message& message)
    {
        std::string error;
        EXPECT_EQ(message.type, stream::Type::Refused);
        auto refusal = stream::ReadRefusal(message.body, error);
        return refusal ? refusal->reason : stream::Reason::Protocol;
    }
    nlohmann::json Inputs(const std::string& id) { return Json("/__test/control/inputs?id=" + id)["inputs"]; }

    std::filesystem::path status;
    std::string cookie;
};

TEST_F(PlayStreamTest, TheHelloIsRefusedUnlessItCarriesTheSessionThePlayAddressWentTo)
{
    const int port = StreamPort();
    ASSERT_GT(port, 0);
    const std::string session = SessionToken();
    {
        // A signed-in session that never asked for this device's address.
        RawStream raw(port);
        ASSERT_TRUE(raw.connected());
        EXPECT_EQ(RefusalOf(Hello(raw, session, "VM0007", "42")), stream::Reason::Session);
        EXPECT_TRUE(raw.ClosedByPeer());
    }
    EXPECT_EQ(PlayPort("7"), std::to_string(port)); // the play address names the stream
    struct Case {
        std::string session, sn, user;
        stream::Reason reason;
    };
    for (const Case& c : { Case { "0000", "VM0007", "42", stream::Reason::Session },
             Case { session, "VM0007", "43", stream::Reason::Session },
             Case { session, "VM0101", "42", stream::Reason::Device } }) {
        SCOPED_TRACE(c.session + " " + c.sn + " " + c.user);
        RawStream raw(port);
        EXPECT_EQ(RefusalOf(Hello(raw, c.session, c.sn, c.user)), c.reason);
        EXPECT_TRUE(raw.ClosedByPeer());
    }

    // The right one: a welcome, then H.264 that decodes to the device's size.
    RawStream raw(port);
    const stream::Message welcome = Hello(raw, session, "VM0007", "42");
    ASSERT_EQ(welcome.type, stream::Type::Welcome);
    std::string error;
    const auto sizes = stream::ReadWelcome(welcome.body, error);
    ASSERT_TRUE(sizes);
    EXPECT_EQ(sizes->deviceWidth, 720);
    EXPECT_EQ(sizes->deviceHeight, 1280);
    EXPECT_EQ(sizes->streamWidth, 720);
    stream::Message video;
    ASSERT_TRUE(raw.Read(video));
    ASSERT_EQ(video.type, stream::Type::Video);
    const auto unit = stream::ReadVideo(video.body, error);
    ASSERT_TRUE(unit) << error;
    EXPECT_TRUE(unit->keyframe);
    const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch())
                         .count();
    EXPECT_LE(unit->captureUs, static_cast<std::uint64_t>(now));
    EXPECT_GT(unit->captureUs, static_cast<std::uint64_t>(now) - 60000000u);
    auto decoder = stream::VideoDecoder::Create(error);
    ASSERT_TRUE(decoder) << error;
    ASSERT_EQ(decoder->Decode(unit->data, error), stream::VideoDecoder::Result::Picture) << error;
    EXPECT_EQ(decoder->width(), 720);
    EXPECT_EQ(decoder->height(), 1280);

    // A tap is an input of the device; a clean close ends the stream.
    stream::Input tap;
    tap.kind = stream::Input::Kind::Tap;
    tap.seq = 1;
    tap.path = { { 700, 300 } };
    raw.Write(stream::EncodeInput(tap));
    ASSERT_TRUE(Eventually([&] { return Inputs("7") == nlohmann::json::array({ "tap 700 300" }); }));
    raw.Write(stream::EncodeClose());
    EXPECT_TRUE(raw.ClosedByPeer());
    EXPECT_TRUE(Eventually([&] { return Json("/__test/control/stream")["connections"] == 0; }));
}

TEST_F(PlayStreamTest, BadBytesFromAPlayerEndItsConnectionAndNothingElse)
{
    const int port = StreamPort();
    PlayPort("7");
    const std::string session = SessionToken();
    const std::vector<std::string> bad {
        std::string("\xff\xff\xff\xff\x02", 5), // absurd length
        std::string("\0\0\0\x05\x02\0\0\0\1", 9), // a tap cut short
        std::string("\0\0\0\x09\x02\0\0\0\1\x7f\xff\0\1", 13), // a tap off the screen
        stream::EncodeHello({ session, "VM0007", "42", 0, 0 }), // a second hello
        std::string("\0\0\0\x02\x55\x55", 6), // an unknown message
    };
    for (const std::string& bytes : bad) {
        RawStream raw(port);
        ASSERT_EQ(Hello(raw, session, "VM0007", "42").type, stream::Type::Welcome);
        raw.Write(bytes);
        EXPECT_TRUE(raw.ClosedByPeer());
    }
    {
        // Garbage instead of a hello.
        RawStream raw(port);
        raw.Write("GET / HTTP/1.1\r\n\r\n");
        EXPECT_TRUE(raw.ClosedByPeer());
    }
    EXPECT_EQ(control().Get("/__test/ping").status, 200);
    EXPECT_TRUE(Inputs("7").empty());
    RawStream still(port);
    EXPECT_EQ(Hello(still, session, "VM0007", "42").type, stream::Type::Welcome);
}

TEST_F(PlayStreamTest, ADroppedStreamIsReconnectedAndResumes)
{
    AddDevice(L"7", L"VM0007", L"My pad");
    StartTaskWith(client, &PlayDevice, PlayOf(0));
    ASSERT_TRUE(Eventually([&] { return ReadFile(status) == "frame\n"; }, 20000)) << ReadFile(status);
    ASSERT_EQ(Json("/__test/control/stream")["connections"], 1);
    control().Get("/__test/control/drop_streams?id=7");
    EXPECT_TRUE(
        Eventually([&] { return ReadFile(status) == "frame\n连接已断开，正在重新连接…\nframe\n"; }, 20000))
        << ReadFile(status);
    EXPECT_TRUE(Eventually([&] { return Json("/__test/control/stream")["connections"] == 1; }));
    // A reboot ends the stream with the service's reason; it comes back after.
    control().Post("/__test/control/busy_time?ms=300", "");
    control().Post("/api/qtz/front_device_reboot", "id=7", cookie);
    EXPECT_TRUE(Eventually(
        [&] {
            const std::string text = ReadFile(status);
            return text.find("设备正在重启，正在重新连接…\n") != std::string::npos && text.size() > 5
                && text.substr(text.size() - 6) == "frame\n";
        },
        30000))
        << ReadFile(status);
    ClosePlayerOf(*client, 0);
    ASSERT_TRUE(window->WaitForCount(2, 10000));
}

TEST_F(PlayStreamTest, SigtermEndsThePlayerWithinASecond)
{
    const std::string port = PlayPort("7");
    const std::string self = RunningProgramPath();
    const std::string player = self.substr(0, self.rfind('/')) + "/../app/window/ZorIzoriz";
    setenv("KORVANA_PLAY_SESSION", SessionToken().c_str(), 1);
    std::vector<std::string> args { player, "VM0007", "127.0.0.1", port, "-", "42", "1", "0", "not", "0",
        "pad" };
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, player.c_str(), nullptr, nullptr, argv.data(), environ);
    unsetenv("KORVANA_PLAY_SESSION");
    ASSERT_EQ(spawned, 0);
    ASSERT_TRUE(Eventually([&] { return ReadFile(status) == "frame\n"; }, 20000)) << ReadFile(status);
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int result = 0;
    ASSERT_TRUE(Eventually([&] { return waitpid(pid, &result, WNOHANG) == pid; }, 10000));
    const auto took
        = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
    EXPECT_LT(took.count(), 1000);
    EXPECT_TRUE(WIFEXITED(result) && WEXITSTATUS(result) == 0);
    // It said goodbye: the service has no stream left.
    EXPECT_TRUE(Eventually([&] { return Json("/__test/control/stream")["connections"] == 0; }));
}

// Pictures of one device as a player receives them.
struct Received {
    std::mutex mutex;
    std::vector<StreamPicture> pictures;
    std::size_t Count()
    {
        std::lock_guard lock(mutex);
        return pictures.size();
    }
    StreamPicture Last()
    {
        std::lock_guard lock(mutex);
        return pictures.back();
    }
};

std::unique_ptr<StreamClient> Watch(
    const std::string& sn, const std::string& port, const std::string& session, Received& into)
{
    StreamTarget target { "127.0.0.1", port, sn, session, "42", 360, 640 };
    StreamClient::Events events;
    events.picture = [&into](StreamPicture picture) {
        std::lock_guard lock(into.mutex);
        into.pictures.push_back(std::move(picture));
    };
    auto client = std::make_unique<StreamClient>(target, events);
    client->Start();
    return client;
}

// The hue of the wallpaper just below the status bar.
int WallpaperHue(const QImage& image)
{
    return QColor(image.pixel(4, image.height() * 60 / 1280)).hsvHue();
}

TEST_F(PlayStreamTest, TwoPlayersOnTwoDevicesDoNotMixStreams)
{
    const std::string port = PlayPort("7");
    PlayPort("8");
    Received seven, eight;
    auto a = Watch("VM0007", port, SessionToken(), seven);
    auto b = Watch("VM0008", port, SessionToken(), eight);
    ASSERT_TRUE(Eventually([&] { return seven.Count() > 0 && eight.Count() > 0; }, 20000));
    // A smaller picture was asked for and sent (rows of whole 16-pixel blocks).
    EXPECT_EQ(seven.Last().image.size(), QSize(352, 640));
    const int hue7 = service::ScreenHue("VM0007");
    const int hue8 = service::ScreenHue("VM0008");
    ASSERT_GT(std::abs(hue7 - hue8), 60);
    EXPECT_NEAR(WallpaperHue(seven.Last().image), hue7, 15);
    EXPECT_NEAR(WallpaperHue(eight.Last().image), hue8, 15);

    // A tap on the first icon of 7 opens its app there only.
    stream::Input tap;
    tap.kind = stream::Input::Kind::Tap;
    tap.path = { { 90, 420 } };
    std::uint32_t seq = 0;
    ASSERT_TRUE(Eventually([&] { return (seq = a->Send(tap)) != 0; }));
    ASSERT_TRUE(Eventually([&] { return seven.Last().inputSeq >= seq; }, 20000));
    EXPECT_EQ(Json("/__test/control/screen?id=7")["page"], "app");
    EXPECT_EQ(Json("/__test/control/screen?id=8")["page"], "home");
    EXPECT_EQ(Inputs("7"), nlohmann::json::array({ "tap 90 420" }));
    EXPECT_TRUE(Inputs("8").empty());
    const std::size_t before = eight.Count();
    ASSERT_TRUE(Eventually([&] { return eight.Count() > before + 1; }, 20000));
    EXPECT_EQ(eight.Last().inputSeq, 0u);
    EXPECT_NEAR(WallpaperHue(eight.Last().image), hue8, 15);
    a->Stop();
    b->Stop();
}

TEST_F(PlayStreamTest, BadBytesFromAServiceEndTheConnectionWithALogLine)
{
    // A stand-in service that welcomes the player and then talks nonsense.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string port = std::to_string(ntohs(address.sin_port));

    StderrCapture log;
    std::mutex mutex;
    std::vector<StreamClient::State> states;
    StreamClient::Events events;
    events.state = [&](StreamClient::State state, const std::string&) {
        std::lock_guard lock(mutex);
        states.push_back(state);
    };
    StreamClient player({ "127.0.0.1", port, "VM0007", "s", "42", 0, 0 }, events);
    player.Start();
    const std::vector<std::string> nonsense {
        std::string("\x7f\0\0\0\x83", 5), // absurd length
        stream::EncodeWelcome({ 720, 1280, 720, 1280, 30 }), // a second welcome
        std::string("\0\0\0\x05\x83\0\0\0\0", 9), // a video head cut short
        // Not H.264 at all, then a goodbye: the player survives the unit
        // and still reads the message after it.
        stream::EncodeVideo({ 1, 0, true, std::string("\0\0\0\1\x65", 5) + std::string(64, '\x5a') })
            + stream::EncodeRefusal(stream::Type::Bye, { stream::Reason::Shutdown, "bye" }),
    };
    for (const std::string& bytes : nonsense) {
        pollfd pfd { listener, POLLIN, 0 };
        ASSERT_EQ(::poll(&pfd, 1, 20000), 1);
        RawStream peer(::accept(listener, nullptr, nullptr), true);
        stream::Message hello;
        ASSERT_TRUE(peer.Read(hello));
        EXPECT_EQ(hello.type, stream::Type::Hello);
        peer.Write(stream::EncodeWelcome({ 720, 1280, 720, 1280, 30 }) + bytes);
        EXPECT_TRUE(peer.ClosedByPeer());
    }
    player.Stop();
    ::close(listener);
    const std::string text = log.Text();
    EXPECT_NE(text.find("connection ended: bad stream: message length"), std::string::npos) << text;
    EXPECT_NE(text.find("connection ended: bad stream: unexpected message type 129"), std::string::npos)
        << text;
    EXPECT_NE(text.find("connection ended: bad stream: video head cut short"), std::string::npos) << text;
    EXPECT_NE(text.find("connection ended: bye"), std::string::npos) << text;
    std::lock_guard lock(mutex);
    EXPECT_GE(std::count(states.begin(), states.end(), StreamClient::State::Reconnecting), 3);
}

} // namespace
