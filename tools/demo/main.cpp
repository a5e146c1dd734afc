// korvana-demo [--host H] [--port N] [--out DIR] [--user NAME] [--password PW] [--scale F] [--scene NAME ...]
//
// Runs the client's real main window headless (offscreen) against a running
// korvana-service, walks through the scenes of DemoScenes.cpp and saves a
// PNG of the window after each. --scale 1.25, 1.5, 2 ... runs the window at
// that display scale (QT_SCALE_FACTOR) and saves the PNGs in device pixels. The client itself has no options;
// this driver points it at the service in-process, and keeps its per-user folder, settings and lock in a
// fresh temporary folder so nothing of the user's is touched.

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/LocalPaths.h"
#include "app/Startup.h"
#include "app/Task.h"
#include "app/window/CMainWnd.h"
#include "app/window/Client.h"
#include "net/ServiceAddress.h"
#include "net/TextConvert.h"
#include "tools/demo/DemoScenes.h"
#include "ui/UIAutomation.h"

namespace {

struct Options {
    std::string host = "127.0.0.1";
    long port = 18080;
    std::string out = "demo-png";
    std::string user = "demo";
    std::string password = "korvana123";
    std::string scale;
    std::vector<std::string> scenes;
};

int Usage()
{
    std::fprintf(stderr,
        "usage: korvana-demo [--host H] [--port N] [--out DIR] [--user NAME] [--password PW] "
        "[--scale F] [--scene NAME ...]\nscenes:");
    for (const DemoScene& scene : DemoScenes())
        std::fprintf(stderr, " %s", scene.name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return false;
        const std::string value = argv[++i];
        if (arg == "--host")
            options.host = value;
        else if (arg == "--port")
            options.port = std::strtol(value.c_str(), nullptr, 10);
        else if (arg == "--out")
            options.out = value;
        else if (arg == "--user")
            options.user = value;
        else if (arg == "--password")
            options.password = value;
        else if (arg == "--scale")
            options.scale = value;
        else if (arg == "--scene")
            options.scenes.push_back(value);
        else
            return false;
    }
    if (!options.scale.empty()) {
        char* end = nullptr;
        const double scale = std::strtod(options.scale.c_str(), &end);
        if (end == options.scale.c_str() || *end != '\0' || scale < 0.5 || scale > 4)
            return false;
    }
    return options.port > 0;
}

bool Wanted(const Options& options, const std::string& name)
{
    if (options.scenes.empty())
        return true;
    for (const std::string& s : options.scenes)
        if (s == name)
            return true;
    return false;
}

// A private home for the run: data, configuration and lock folders.
std::filesystem::path PrivateHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "korvana-demo-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return {};
    const std::filesystem::path home(pattern);
    for (const char* sub : { "data", "config", "run" })
        std::filesystem::create_directories(home / sub);
    std::filesystem::permissions(home / "run", std::filesystem::perms::owner_all);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
    return home;
}

int Run(const Options& options)
{
    const std::filesystem::path home = PrivateHome();
    if (home.empty()) {
        std::fprintf(stderr, "korvana-demo: cannot make a temporary folder\n");
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(options.out, error);
    SetServiceAddress(options.host, options.port);
    if (!RunStartupSteps())
        return 1;
    UseCookieFile(GetLocalPaths());
    RegisterEmbeddedSkin();

    auto window = std::make_unique<CMainWnd>();
    if (!window->Create(nullptr, L"Korvana云手机"))
        return 1;
    int failures = 0;
    {
        DuiLib::CUiDriver ui(*window);
        ui.Show();
        DemoContext demo { *window, ui, Utf8ToWide(options.user), Utf8ToWide(options.password), options.out };
        for (const DemoScene& scene : DemoScenes()) {
            if (!Wanted(options, scene.name))
                continue;
            if (!scene.run(demo)) {
                std::fprintf(stderr, "korvana-demo: scene %s (%s) did not come about\n", scene.name.c_str(),
                    scene.description.c_str());
                ++failures;
                break;
            }
            const std::string png = (std::filesystem::path(options.out) / (scene.name + ".png")).string();
            if (ui.SavePng(png)) {
                std::printf("%s: %s\n", png.c_str(), scene.description.c_str());
            } else {
                std::fprintf(stderr, "korvana-demo: cannot write %s\n", png.c_str());
                ++failures;
            }
        }
    }
    window->ReleaseClient();
    window.reset();
    std::filesystem::remove_all(home, error);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options))
        return Usage();
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!options.scale.empty())
        ::setenv("QT_SCALE_FACTOR", options.scale.c_str(), 1);
    QApplication application(argc, argv);
    const int code = Run(options);
    std::fflush(stdout);
    EndProcessAfterTasks(code, std::chrono::milliseconds(500));
}
