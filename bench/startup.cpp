// bench_startup [--runs N]
//
// Time from process start to the painted sign-in page, and resident memory
// at idle on the sign-in page.
//
// Each run starts this program again as a client: the same entry routine as
// `korvana` (start-up steps, the window with the embedded skin, the modal
// loop), with a watch on the window that notes when its first paint is done
// (CLOCK_MONOTONIC) and, 1.5 s later on the idle sign-in page, the resident
// memory; then it closes the window. The parent takes the clock before it
// starts the child, so the figure includes loading the program and its
// libraries. Every run gets fresh data, config and lock folders (a first
// run). The real `korvana` program is started too, for its resident memory
// at idle.
//
// Without DISPLAY the offscreen platform is used; run it under xvfb-run for
// the X11 figures.

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/Task.h"
#include "app/window/CMainWnd.h"
#include "app/window/Client.h"
#include "tests/support/ClientProcess.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

long long MonotonicNs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

long ResidentKb(const std::string& statusFile)
{
    std::ifstream in(statusFile);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// Notes the end of the window's first paint, then the memory at idle.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(CMainWnd& window)
        : m_window(window)
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Runs once the paint event has been handled.
            QTimer::singleShot(0, this, [this] {
                std::printf("painted %lld\n", MonotonicNs());
                std::fflush(stdout);
                QTimer::singleShot(1500, this, [this] {
                    std::printf("rss %ld\n", ResidentKb("/proc/self/status"));
                    std::fflush(stdout);
                    m_window.Close(1);
                });
            });
        }
        return false;
    }

private:
    CMainWnd& m_window;
    bool m_seen = false;
};

int RunChild(int argc, char** argv)
{
    QApplication application(argc, argv);
    std::unique_ptr<PaintWatch> watch;
    const int code = RunClient([&](CMainWnd& window) {
        watch = std::make_unique<PaintWatch>(window);
        if (auto* widget = static_cast<QWidget*>(window.GetNativeWindow()))
            widget->installEventFilter(watch.get());
    });
    EndProcessAfterTasks(code, std::chrono::milliseconds(500));
}

std::map<std::string, std::string> FreshHome(const fs::path& home)
{
    fs::remove_all(home);
    for (const char* sub : { "data", "config", "run" })
        fs::create_directories(home / sub);
    fs::permissions(home / "run", fs::perms::owner_all);
    std::map<std::string, std::string> env = { { "XDG_DATA_HOME", (home / "data").string() },
        { "XDG_CONFIG_HOME", (home / "config").string() }, { "XDG_RUNTIME_DIR", (home / "run").string() } };
    if (!std::getenv("DISPLAY"))
        env["QT_QPA_PLATFORM"] = "offscreen";
    return env;
}

struct ChildResult {
    double paintedMs = -1;
    long rssKb = -1;
};

ChildResult RunOnce(const std::string& self, const std::map<std::string, std::string>& variables)
{
    std::vector<std::string> env = korvana::test::EnvironmentWith(variables);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = self;
    std::string flag = "--child";
    std::vector<char*> argv { program.data(), flag.data(), nullptr };

    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const long long start = MonotonicNs();
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    ChildResult result;
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return result;
    }
    std::string output;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    long long painted = 0;
    if (const char* p = std::strstr(output.c_str(), "painted "))
        painted = std::atoll(p + 8);
    if (const char* r = std::strstr(output.c_str(), "rss "))
        result.rssKb = std::atol(r + 4);
    if (painted > 0)
        result.paintedMs = static_cast<double>(painted - start) / 1e6;
    return result;
}

long RealClientIdleRss(const fs::path& home)
{
    korvana::test::ClientProcess client(korvana::test::ClientProcess::ClientProgram(), FreshHome(home),
        (home.parent_path() / "korvana.log").string());
    if (!client.WaitForLog(":windowinit", std::chrono::seconds(20)))
        return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const long rss = ResidentKb("/proc/" + std::to_string(client.pid()) + "/status");
    client.Terminate();
    client.WaitForExit(std::chrono::seconds(5));
    return rss;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return RunChild(argc, argv);
    int runs = 10;
    if (argc > 2 && std::strcmp(argv[1], "--runs") == 0)
        runs = std::max(1, std::atoi(argv[2]));
    korvana::test::TempDir scratch;
    const std::string self = fs::read_symlink("/proc/self/exe").string();

    std::vector<double> painted;
    std::vector<long> rss;
    // The first start warms the page cache; it is not counted.
    RunOnce(self, FreshHome(scratch.path() / "home"));
    for (int i = 0; i < runs; ++i) {
        const ChildResult r = RunOnce(self, FreshHome(scratch.path() / "home"));
        if (r.paintedMs < 0 || r.rssKb < 0) {
            std::fprintf(stderr, "run %d did not report\n", i);
            return 1;
        }
        painted.push_back(r.paintedMs);
        rss.push_back(r.rssKb);
    }
    std::sort(painted.begin(), painted.end());
    std::sort(rss.begin(), rss.end());
    const char* platform = std::getenv("DISPLAY") ? "X11" : "offscreen";
    std::printf("platform: %s, %d runs (first run of a fresh per-user folder each)\n", platform, runs);
    std::printf(
        "process start to painted sign-in page: min %.1f ms, median %.1f ms, max %.1f ms (target 150 ms)\n",
        painted.front(), painted[painted.size() / 2], painted.back());
    std::printf("resident memory at idle on the sign-in page: median %.1f MB, max %.1f MB (target 60 MB)\n",
        rss[rss.size() / 2] / 1024.0, rss.back() / 1024.0);
    const long real = RealClientIdleRss(scratch.path() / "real");
    if (real > 0)
        std::printf("the korvana program itself at idle: %.1f MB\n", real / 1024.0);
    return 0;
}
