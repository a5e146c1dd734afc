#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace korvana::test {

// Runs korvana-service (the binary named by KORVANA_SERVICE_BIN) on a free
// loopback port for the life of the object: starts it with "--port 0
// --world <world>", waits for its "listening on" line and learns the port.
// The destructor stops it (SIGTERM, then SIGKILL after a few seconds).
class ServiceProcess {
public:
    explicit ServiceProcess(const std::string& world = "demo");
    // With further arguments, e.g. {"--tls-cert", c, "--tls-key", k}; a
    // service given "--tls-cert" is addressed as https.
    ServiceProcess(const std::string& world, const std::vector<std::string>& extraArguments);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    bool running() const { return m_port > 0; }
    const std::string& host() const { return m_host; }
    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path (https for a TLS service)
    std::string url(const std::string& path) const;
    // Why it did not start, when it did not.
    const std::string& error() const { return m_error; }

private:
    pid_t m_pid = -1;
    std::string m_host = "127.0.0.1";
    std::string m_scheme = "http";
    int m_port = 0;
    std::string m_error;
};

} // namespace korvana::test
