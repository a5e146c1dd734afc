#include "service/ServiceOptions.h"

#include <charconv>

namespace service {

std::optional<ServiceOptions> ParseServiceOptions(const std::vector<std::string>& args, std::string& error)
{
    ServiceOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        if (std::size_t eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        } else if (name == "--host" || name == "--port" || name == "--stream-port" || name == "--world"
            || name == "--tls-cert" || name == "--tls-key" || name == "--latency-ms") {
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return std::nullopt;
            }
            value = args[++i];
        }
        if (name == "--host") {
            if (value.empty()) {
                error = "--host needs a value";
                return std::nullopt;
            }
            options.host = value;
        } else if (name == "--port" || name == "--stream-port") {
            int port = -1;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
            if (ec != std::errc() || end != value.data() + value.size() || port < 0 || port > 65535) {
                error = name + " needs a number from 0 to 65535";
                return std::nullopt;
            }
            (name == "--port" ? options.port : options.streamPort) = port;
        } else if (name == "--world") {
            std::optional<WorldKind> kind = ParseWorldKind(value);
            if (!kind) {
                error = "--world is demo or empty";
                return std::nullopt;
            }
            options.world = *kind;
        } else if (name == "--tls-cert" || name == "--tls-key") {
            if (value.empty()) {
                error = name + " needs a file";
                return std::nullopt;
            }
            (name == "--tls-cert" ? options.tls.certificate : options.tls.key) = value;
        } else if (name == "--latency-ms") {
            int ms = -1;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
            if (ec != std::errc() || end != value.data() + value.size() || ms < 0 || ms > 600000) {
                error = "--latency-ms needs a number from 0 to 600000";
                return std::nullopt;
            }
            options.latencyMs = ms;
        } else {
            error = "unknown option " + args[i];
            return std::nullopt;
        }
    }
    if (options.tls.certificate.empty() != options.tls.key.empty()) {
        error = "--tls-cert and --tls-key go together";
        return std::nullopt;
    }
    return options;
}

} // namespace service
