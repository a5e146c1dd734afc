// The remembered password in a real Secret Service: gnome-keyring-daemon with
// an unlocked login keyring inside dbus-run-session, started here for the
// test; without them (not installed, no D-Bus) the tests say so and skip.
// Also the file fallback when there is no service, when it goes away and
// when its keyring is locked.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/SettingsFile.h"
#include "platform/IniFile.h"
#include "platform/SecretStore.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/StderrCapture.h"
#include "tests/support/TempDir.h"

extern char** environ;

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

// A private D-Bus session with an unlocked gnome-keyring in it, for the life
// of the object. The shell inside dbus-run-session writes the bus address
// once the keyring answers, then waits; the whole group ends with the object.
class KeyringSession {
public:
    explicit KeyringSession(const fs::path& home)
        : m_home(home)
    {
        fs::create_directories(home / "data");
        const std::string ready = (home / "bus-address").string();
        const std::string script
            = "printf 'test-password' | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1 "
              "|| exit 1; "
              "printf x | secret-tool store --label=probe korvana-probe 1 >/dev/null 2>&1 || exit 1; "
              "secret-tool clear korvana-probe 1; "
              "printf '%s' \"$DBUS_SESSION_BUS_ADDRESS\" > '"
            + ready + ".tmp' && mv '" + ready + ".tmp' '" + ready + "'; exec sleep 600";
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string entry = *e;
            // No display: an unlock prompt fails at once instead of waiting.
            if (entry.rfind("DBUS_SESSION_BUS_ADDRESS=", 0) != 0 && entry.rfind("HOME=", 0) != 0
                && entry.rfind("XDG_DATA_HOME=", 0) != 0 && entry.rfind("XDG_RUNTIME_DIR=", 0) != 0
                && entry.rfind("DISPLAY=", 0) != 0 && entry.rfind("WAYLAND_DISPLAY=", 0) != 0)
                env.push_back(entry);
        }
        env.push_back("HOME=" + home.string());
        env.push_back("XDG_DATA_HOME=" + (home / "data").string());
        env.push_back("XDG_RUNTIME_DIR=" + home.string());
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        const char* argv[] = { "dbus-run-session", "--", "sh", "-c", script.c_str(), nullptr };
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        const int error = posix_spawnp(
            &m_pid, "dbus-run-session", nullptr, &attributes, const_cast<char**>(argv), envp.data());
        posix_spawnattr_destroy(&attributes);
        if (error != 0) {
            m_pid = -1;
            m_why = "dbus-run-session cannot be started";
            return;
        }
        // The keyring's first start makes its login keyring: generous.
        for (int waited = 0; waited < 30000; waited += 20) {
            if (fs::exists(ready)) {
                m_address = ReadFile(ready);
                return;
            }
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_why = "gnome-keyring-daemon did not come up in dbus-run-session";
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_why = "the keyring session did not get ready in time";
    }
    ~KeyringSession() { End(); }
    KeyringSession(const KeyringSession&) = delete;
    KeyringSession& operator=(const KeyringSession&) = delete;

    // The service going away: the bus and the keyring with it.
    void End()
    {
        if (m_pid <= 0)
            return;
        kill(-m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    bool ready() const { return !m_address.empty(); }
    bool running() const { return m_pid > 0; }
    const std::string& why() const { return m_why; }
    const std::string& address() const { return m_address; }

    // secret-tool (or another program) in this session, as an outside check.
    std::string Tool(const std::string& arguments, const char* program = "secret-tool") const
    {
        const std::string out = (m_home / "tool-out").string();
        const std::string command = "DISPLAY= DBUS_SESSION_BUS_ADDRESS='" + m_address + "' timeout 20 "
            + program + " " + arguments + " > '" + out + "' 2>/dev/null";
        const int rc = std::system(command.c_str());
        return rc == 0 ? ReadFile(out) : "<failed>";
    }

private:
    fs::path m_home;
    pid_t m_pid = -1;
    std::string m_address;
    std::string m_why;
};

// One session for the suite: libsecret keeps its connection to the first
// bus it found for the whole process.
class SecretStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_home = std::make_unique<TempDir>();
        s_session = std::make_unique<KeyringSession>(s_home->path());
        if (s_session->ready())
            s_bus = std::make_unique<ScopedEnv>("DBUS_SESSION_BUS_ADDRESS", s_session->address());
    }
    static void TearDownTestSuite()
    {
        s_bus.reset();
        s_session.reset();
        s_home.reset();
    }
    void SetUp() override
    {
        if (!s_session->ready())
            GTEST_SKIP() << "no Secret Service to test against: " << s_session->why();
        if (!m_session->running())
            GTEST_SKIP() << "the keyring session of this suite has been ended";
        EnableSecretStore(true);
    }
    void TearDown() override { EnableSecretStore(false); }
    std::string Raw(const char* key) const { return IniReadString("Login", key, "<missing>", ConfigIni()); }
    std::string ConfigIni() const { return (m_folder.path() / "config.ini").string(); }

    static std::unique_ptr<TempDir> s_home;
    static std::unique_ptr<KeyringSession> s_session;
    static std::unique_ptr<ScopedEnv> s_bus;
    KeyringSession* m_session = s_session.get();
    TempDir m_folder;
};

std::unique_ptr<TempDir> SecretStoreTest::s_home;
std::unique_ptr<KeyringSession> SecretStoreTest::s_session;
std::unique_ptr<ScopedEnv> SecretStoreTest::s_bus;

TEST_F(SecretStoreTest, ThePasswordRoundTripsUnderTheTwoAttributes)
{
    ASSERT_EQ(StorePassword("张三", "pw 1"), SecretResult::Ok);
    const SecretLookup found = LookupStoredPassword("张三");
    EXPECT_EQ(found.result, SecretResult::Ok);
    EXPECT_EQ(found.password, "pw 1");
    EXPECT_EQ(m_session->Tool("lookup service korvana user 张三"), "pw 1");
    EXPECT_EQ(LookupStoredPassword("somebody").result, SecretResult::NotFound);
    EXPECT_EQ(ClearStoredPassword("张三"), SecretResult::Ok);
    EXPECT_EQ(LookupStoredPassword("张三").result, SecretResult::NotFound);
}

TEST_F(SecretStoreTest, TheRememberedLoginKeepsThePasswordOutOfTheFile)
{
    const SettingsFile settings(ConfigIni());
    StderrCapture log;
    settings.SaveRememberedLogin(L"demo", L"korvana123");
    EXPECT_EQ(Raw("remember_pwd"), "1");
    EXPECT_EQ(Raw("name"), "demo");
    EXPECT_EQ(Raw("pwd"), "");
    EXPECT_EQ(ReadFile(ConfigIni()).find("korvana123"), std::string::npos);
    EXPECT_EQ(m_session->Tool("lookup service korvana user demo"), "korvana123");
    const SettingsFile::RememberedLogin login = settings.ReadRememberedLogin();
    EXPECT_TRUE(login.remembered);
    EXPECT_EQ(login.name, L"demo");
    EXPECT_EQ(login.password, L"korvana123");

    // Another name: the first one's entry goes; clearing removes the rest.
    settings.SaveRememberedLogin(L"other", L"pw2");
    EXPECT_EQ(m_session->Tool("lookup service korvana user demo"), "<failed>");
    settings.ClearRememberedLogin();
    EXPECT_EQ(m_session->Tool("lookup service korvana user other"), "<failed>");
    EXPECT_FALSE(settings.ReadRememberedLogin().remembered);
    EXPECT_EQ(log.Text().find("korvana123"), std::string::npos);
}

TEST_F(SecretStoreTest, APasswordInTheFileMovesIntoTheServiceAtTheFirstStart)
{
    std::ofstream(ConfigIni()) << "[Login]\nremember_pwd=1\nname=demo\npwd=old secret\n";
    const SettingsFile settings(ConfigIni());
    EXPECT_EQ(settings.ReadRememberedLogin().password, L"old secret");
    EXPECT_EQ(Raw("pwd"), "");
    EXPECT_EQ(m_session->Tool("lookup service korvana user demo"), "old secret");
    EXPECT_EQ(settings.ReadRememberedLogin().password, L"old secret"); // from the service now
}

// Last of the suite: it locks the keyring and then ends the session.
TEST_F(SecretStoreTest, AServiceThatIsLockedOrGoesAwayFallsBackToTheFile)
{
    const SettingsFile settings(ConfigIni());
    settings.SaveRememberedLogin(L"demo", L"pw-open");
    ASSERT_EQ(Raw("pwd"), "");
    // Locked: the keyring cannot be unlocked without a prompt here. The
    // login stays remembered: the name, and the password in the file.
    ASSERT_NE(
        m_session->Tool("--session --print-reply --dest=org.freedesktop.secrets /org/freedesktop/secrets "
                        "org.freedesktop.Secret.Service.Lock "
                        "array:objpath:/org/freedesktop/secrets/collection/login",
            "dbus-send"),
        "<failed>");
    settings.SaveRememberedLogin(L"demo", L"pw-locked");
    EXPECT_EQ(Raw("pwd"), "pw-locked");
    EXPECT_EQ(settings.ReadRememberedLogin().password, L"pw-locked");

    // Gone: nothing answers on the bus any more.
    m_session->End();
    settings.SaveRememberedLogin(L"demo", L"pw-gone");
    EXPECT_EQ(Raw("pwd"), "pw-gone");
    const SettingsFile::RememberedLogin login = settings.ReadRememberedLogin();
    EXPECT_EQ(login.name, L"demo");
    EXPECT_EQ(login.password, L"pw-gone");
}

TEST(SecretStoreFallback, WithoutASessionBusTheFileKeepsThePasswordAndSaysSoOnce)
{
    TempDir home;
    ScopedEnv noBus("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    ScopedEnv runtime("XDG_RUNTIME_DIR", home.path().string());
    EnableSecretStore(true);
    const std::string ini = (home.path() / "config.ini").string();
    const SettingsFile settings(ini);
    StderrCapture log;
    settings.SaveRememberedLogin(L"demo", L"pw1");
    settings.SaveRememberedLogin(L"demo", L"pw2");
    EXPECT_EQ(IniReadString("Login", "pwd", "", ini), "pw2");
    EXPECT_EQ(settings.ReadRememberedLogin().password, L"pw2");
    EnableSecretStore(false);
    // Said at most once per run (a test before may have said it already).
    EXPECT_LE(log.CountOf("no Secret Service: the remembered password is kept in config.ini\n"), 1u);
    EXPECT_EQ(log.Text().find("pw2"), std::string::npos);
}

} // namespace
