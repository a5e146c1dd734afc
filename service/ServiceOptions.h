#pragma once

#include <optional>
#include <string>
#include <vector>

#include "service/World.h"

namespace service {

// A certificate chain and its private key (PEM files): with both the
// service speaks only TLS on its port.
struct TlsFiles {
    std::string certificate;
    std::string key;
    bool enabled() const { return !certificate.empty(); }
};

struct ServiceOptions {
    std::string host = "127.0.0.1";
    int port = 18080;
    int streamPort = 0; // the play stream's port; 0: a free one, named by the play address
    WorldKind world = WorldKind::Demo;
    TlsFiles tls;
    int latencyMs = 0; // every service path answers this much later
};

// "--host H --port P --stream-port P --world demo|empty [--tls-cert FILE --tls-key FILE]
// [--latency-ms N]" (also "--name=value"); none with a message in `error`
// for anything else, and for one of the two TLS files without the other.
std::optional<ServiceOptions> ParseServiceOptions(const std::vector<std::string>& args, std::string& error);

} // namespace service
