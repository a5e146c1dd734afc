// korvana-service [--host 127.0.0.1] [--port 18080] [--stream-port 0] [--world demo|empty]
//                 [--tls-cert FILE --tls-key FILE] [--latency-ms N]
// Prints "korvana-service listening on <host>:<port>" once it accepts
// connections (TLS only, when given a certificate and its key); SIGINT or
// SIGTERM stop it.
#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

#include "service/Server.h"
#include "service/ServiceOptions.h"

int main(int argc, char** argv)
{
    std::string error;
    std::optional<service::ServiceOptions> options
        = service::ParseServiceOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr,
            "korvana-service: %s\nusage: korvana-service [--host H] [--port P] [--stream-port P] [--world "
            "demo|empty] "
            "[--tls-cert FILE --tls-key FILE] [--latency-ms N]\n",
            error.c_str());
        return 2;
    }

    // Stop signals are taken by one thread, which stops the server cleanly;
    // blocked here so every server thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // The device screens are painted with Qt's fonts, which want an
    // application object; the service shows no window.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication qt(argc, argv);

    service::Server server(options->world);
    server.setStartLatencyMs(options->latencyMs);
    int port = server.Bind(options->host, options->port, options->tls, options->streamPort);
    if (port < 0) {
        std::fprintf(stderr, "korvana-service: cannot listen on %s:%d%s\n", options->host.c_str(),
            options->port, options->tls.enabled() ? " (or the TLS certificate or key is unusable)" : "");
        return 1;
    }
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.Stop();
    });

    std::printf("korvana-service listening on %s:%d\n", options->host.c_str(), port);
    std::fflush(stdout);
    const bool ran = server.Run();
    // The stopper must be done with the server before it is destroyed; when
    // the server ended otherwise, it still waits for its signal.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return ran ? 0 : 1;
}
