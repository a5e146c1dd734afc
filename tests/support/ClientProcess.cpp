#include "tests/support/ClientProcess.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace korvana::test {

std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& variables)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry(*e);
        if (!variables.count(entry.substr(0, entry.find('='))))
            env.push_back(entry);
    }
    for (const auto& [name, value] : variables)
        env.push_back(name + "=" + value);
    return env;
}

ClientProcess::ClientProcess(std::string program, std::map<std::string, std::string> variables,
    std::string logFile, std::vector<std::string> arguments)
    : m_logFile(std::move(logFile))
{
    std::vector<std::string> env = EnvironmentWith(variables);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<char*> argv { program.data() };
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string outFile = m_logFile + ".out";

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(
        &actions, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(
        &actions, STDERR_FILENO, m_logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0)
        m_pid = pid;
    posix_spawn_file_actions_destroy(&actions);
}

ClientProcess::~ClientProcess()
{
    if (m_pid > 0 && !m_reaped) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, &m_status, 0);
    }
}

bool ClientProcess::Running()
{
    if (m_pid <= 0 || m_reaped)
        return false;
    if (::waitpid(m_pid, &m_status, WNOHANG) == m_pid) {
        m_reaped = true;
        return false;
    }
    return true;
}

std::string ClientProcess::Log() const
{
    std::ifstream in(m_logFile, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ClientProcess::Output() const
{
    std::ifstream in(m_logFile + ".out", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool ClientProcess::WaitForLog(const std::string& text, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (Log().find(text) != std::string::npos)
            return true;
        if (!Running() || std::chrono::steady_clock::now() >= deadline)
            return Log().find(text) != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

int ClientProcess::WaitForExit(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (Running()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (m_pid <= 0)
        return -1;
    return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
}

void ClientProcess::Terminate()
{
    if (Running())
        ::kill(m_pid, SIGTERM);
}

std::string ClientProcess::ClientProgram()
{
    return KORVANA_CLIENT_BIN;
}

} // namespace korvana::test
