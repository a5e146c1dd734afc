#include "tests/support/ServiceProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace korvana::test {
namespace {

    // Reads one line from the pipe within the time limit.
    bool ReadLine(int fd, std::string& line, std::chrono::milliseconds limit)
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        line.clear();
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p { fd, POLLIN, 0 };
            int ready = ::poll(&p, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                return false;
            char c;
            ssize_t n = ::read(fd, &c, 1);
            if (n <= 0)
                return false;
            if (c == '\n')
                return true;
            line += c;
        }
    }

} // namespace

ServiceProcess::ServiceProcess(const std::string& world)
    : ServiceProcess(world, {})
{
}

ServiceProcess::ServiceProcess(const std::string& world, const std::vector<std::string>& extraArguments)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        m_error = "pipe failed";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::string bin = KORVANA_SERVICE_BIN;
    std::vector<std::string> words { bin, "--host", m_host, "--port", "0", "--world", world };
    for (const std::string& word : extraArguments) {
        words.push_back(word);
        if (word == "--tls-cert")
            m_scheme = "https";
    }
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int rc = posix_spawn(&m_pid, bin.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        m_pid = -1;
        m_error = "cannot start " + bin + ": " + std::strerror(rc);
        ::close(out[0]);
        return;
    }
    std::string line;
    const std::string ready = "korvana-service listening on ";
    if (ReadLine(out[0], line, std::chrono::seconds(20)) && line.rfind(ready, 0) == 0) {
        std::size_t colon = line.rfind(':');
        m_port = std::atoi(line.c_str() + colon + 1);
    }
    ::close(out[0]);
    if (m_port <= 0)
        m_error = "korvana-service did not report ready (got \"" + line + "\")";
}

ServiceProcess::~ServiceProcess()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
}

std::string ServiceProcess::url(const std::string& path) const
{
    return m_scheme + "://" + m_host + ":" + std::to_string(m_port) + path;
}

} // namespace korvana::test
