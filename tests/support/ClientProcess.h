#pragma once

#include <chrono>
#include <map>
#include <string>
#include <sys/types.h>

#include <vector>

namespace korvana::test {

// The environment of this process with `variables` set (or replaced), as
// "NAME=value" entries for a program to be started.
std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& variables);

// A copy of the real client program (`korvana`) or of any program, started
// with the environment of this process plus `variables`, its standard error
// (the diagnostic log) written to a file that tests can search.
class ClientProcess {
public:
    // Standard output goes to logFile + ".out" (see Output()).
    ClientProcess(std::string program, std::map<std::string, std::string> variables, std::string logFile,
        std::vector<std::string> arguments = {});
    ~ClientProcess(); // ends a copy still running (SIGKILL)
    ClientProcess(const ClientProcess&) = delete;
    ClientProcess& operator=(const ClientProcess&) = delete;

    bool started() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    bool Running();
    // Waits until the log holds the text; false when the program ended or
    // the limit passed first.
    bool WaitForLog(const std::string& text, std::chrono::milliseconds limit);
    std::string Log() const;
    std::string Output() const;
    // Waits for the end; the exit code, or -1 (killed, or the limit passed).
    int WaitForExit(std::chrono::milliseconds limit);
    void Terminate(); // SIGTERM

    // The client program of this build.
    static std::string ClientProgram();

private:
    pid_t m_pid = -1;
    int m_status = -1;
    bool m_reaped = false;
    std::string m_logFile;
};

} // namespace korvana::test
