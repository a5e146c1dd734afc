#pragma once

#include <string>

// Where every service call goes: the compiled-in host and port, unless a test
// has pointed the client at another service in-process.
const std::string& ServiceHost();
long ServicePort();

// Points later requests at another service. Safe against concurrent readers;
// meant to be called before tasks start (tests do it in their fixtures).
void SetServiceAddress(std::string host, long port);

// How requests travel: plain HTTP (the default) or TLS with libcurl's
// certificate and host verification, optionally against a pinned CA bundle.
// Compiled in (KORVANA_SERVICE_SCHEME, KORVANA_SERVICE_CA); there is no
// setting that turns the verification off.
struct ServiceTransport {
    bool tls = false;
    std::string caFile; // empty: the system's store
};
ServiceTransport CurrentServiceTransport();

// Tests: talk to a TLS (or plain) service in-process. Like SetServiceAddress,
// meant for fixtures, before tasks start.
void SetServiceTransportForTesting(ServiceTransport transport);
