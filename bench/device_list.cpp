// The device list of the real window against korvana-service, and the
// screenshot conversion.
//
// BM_DeviceListToPaintedTiles: 1000 devices in 100 pages on loopback. Each
// iteration times the client's load from its start (what the group load's
// end triggers) to the end of the window's paint of the whole list's tiles,
// and the same 100 page requests made one after another by a bare libcurl
// loop (a new easy handle per request, as the client makes them, with the
// client's session cookie) just before and just after it. "ratio_median" is
// the median of the iterations' own ratios client / loop (target <= 1.0),
// "ratio" the sums' ratio; "first_tiles_ms" the median time to the first
// paint that shows tiles (the first page's); "transport_ms" the 100 requests
// one after another through the client's transport alone; "rss_mb" the
// resident memory with the 1000 devices listed.
// BM_DeviceListAt30ms: the same load against the service's latency mode at
// 30 ms: "load_ms" to the painted tiles of the whole list (target <= 1000;
// the sequential floor is 100 x 30 ms), "first_tiles_ms" to the first page's
// painted tiles (target <= 2 x 30 + 100).
// BM_RebuildTiles: the tile part alone (the group view of 1000 devices).
// BM_ResidentWithDevicesAndCatalogue: resident memory with the 1000 devices
// listed and 1000 apps of the catalogue synchronised and shown with icons.
//
// BM_ScreenshotToTileFile: one 1080 x 1920 JPEG into the 160 x 240 tile file
// (target <= 10 ms).
#include "bench/support/ResidentMemory.h"
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "app/LocalPaths.h"
#include "app/SettingsFile.h"
#include "app/Startup.h"
#include "app/Task.h"
#include "app/window/CMainWnd.h"
#include "app/window/Client.h"
#include "devices/DeviceList.h"
#include "devices/DevicePage.h"
#include "devices/Screenshot.h"
#include "net/ServiceAddress.h"
#include "net/ServiceCall.h"
#include "tests/support/ServiceControl.h"
#include "tests/support/ServiceProcess.h"
#include "tests/support/TempDir.h"
#include "ui/UIAutomation.h"
#include "ui/UIManager.h"
#include "ui/UITileLayout.h"

namespace {

using Clock = std::chrono::steady_clock;

QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_device_list";
    static char* argv[] = { name, nullptr };
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*)
{
    return size * count;
}

// Handles events as they arrive until cond holds; a timer wakes the wait
// when none come, so the limit is kept.
bool WaitForEvents(const std::function<bool()>& cond, int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer tick;
    tick.start(20);
    while (!cond()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Tells when the window has finished a paint: the paint event is delivered
// from the filter, so the moment after it is seen.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* host, std::function<void()> painted)
        : m_host(host)
        , m_painted(std::move(painted))
    {
        m_host->installEventFilter(this);
    }
    ~PaintWatch() override { m_host->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_host || event->type() != QEvent::Paint)
            return false;
        static_cast<QObject*>(m_host)->event(event);
        m_painted();
        return true;
    }

private:
    QWidget* m_host;
    std::function<void()> m_painted;
};

// The client signed in as demo, with 1000 devices on the service.
struct SignedInClient {
    // catalogueApps > 0: the service's catalogue replaced by that many apps
    // with icons before the sign-in (its synchronisation runs at sign-in).
    explicit SignedInClient(int catalogueApps = 0)
    {
        App();
        setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
        SetServiceAddress(service.host(), service.port());
        control.Post("/__test/devices/generate?user=42&count=1000", "");
        if (catalogueApps > 0)
            control.Post("/__test/apps/stress?count=" + std::to_string(catalogueApps), "");
        const LocalPaths& paths = InitLocalPaths((home.path() / "data").string());
        iconFolder = paths.iconCache.narrow;
        CreateDataFolders(paths);
        WriteFirstRunSettings(SettingsFile(paths.settingsFile.narrow));
        UseCookieFile(paths);
        RegisterEmbeddedSkin();
        window = std::make_unique<CMainWnd>();
        window->Create(nullptr, L"Korvana云手机");
        ui = std::make_unique<DuiLib::CUiDriver>(*window);
        ui->Show();
        ui->WaitUntil([&] { return window->ClientRef() && !window->Paint().IsWaitCursor(); }, 10000);
        window->Paint().FindControl(L"EditOfLoginName")->SetText(L"demo");
        window->Paint().FindControl(L"EditOfLoginPwd")->SetText(L"korvana123");
        ui->Click(L"BtnOfLogin");
        ok = ui->WaitUntil(
            [&] { return Page() && Page()->FinishedLoads() > 0 && !window->Paint().IsWaitCursor(); }, 60000);
        // The other pages' first loads (the market's catalogue and icons)
        // end before anything is timed.
        ok = ok && ui->WaitUntil([] { return RunningTaskCount() == 0; }, 60000);
    }
    ~SignedInClient()
    {
        ui.reset();
        window->ReleaseClient();
        WaitForAllTasks(std::chrono::seconds(10));
        window.reset();
    }
    DevicePage* Page() { return dynamic_cast<DevicePage*>(&window->Devices()); }
    std::string iconFolder;

    // The client's load, from its start to the end of the first paint that
    // shows its tiles. Events are handled as they come, as the client's own
    // event loop does (the test driver's wait polls and would add up to
    // 10 ms), and the paint is the window's own, not one forced afterwards.
    // `firstTiles` gets the time to the first paint showing tiles.
    double LoadToPaint(double* firstTiles = nullptr)
    {
        auto* host = static_cast<QWidget*>(window->GetNativeWindow());
        const int before = Page()->FinishedLoads();
        bool painted = false;
        bool firstPainted = false;
        Clock::time_point end;
        Clock::time_point first;
        int paints = 0;
        PaintWatch watch(host, [&] {
            if (!painted)
                ++paints;
            const bool done = Page()->FinishedLoads() > before;
            if (!firstPainted && (done || Page()->IsShowingFirstPage())) {
                firstPainted = true;
                first = Clock::now();
            }
            if (!painted && done) {
                painted = true;
                end = Clock::now();
            }
        });
        const auto start = Clock::now();
        Page()->StartDeviceListLoad();
        if (!WaitForEvents([&] { return painted; }, 60000))
            return -1;
        if (firstTiles)
            *firstTiles = std::chrono::duration<double>(first - start).count();
        lastPaints = paints;
        return std::chrono::duration<double>(end - start).count();
    }

    int lastPaints = 0; // the window's paints during the last load

    // The same 100 requests through bare libcurl.
    double BareLoop()
    {
        const std::string cookies = GetLocalPaths().cookieFile.narrow;
        const std::string url = service.url("/api/qtz/front_device_list");
        const auto start = Clock::now();
        for (int page = 1; page <= 100; ++page) {
            CURL* curl = curl_easy_init();
            const std::string body = "&type=0&page_size=10&page_index=" + std::to_string(page);
            curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
            curl_easy_setopt(curl, CURLOPT_COOKIEFILE, cookies.c_str());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Discard);
            curl_easy_perform(curl);
            curl_easy_cleanup(curl);
        }
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    // The same 100 requests through the client's own transport, no window.
    double ClientTransport()
    {
        const auto start = Clock::now();
        for (int page = 1; page <= 100; ++page) {
            ServiceRequest request;
            request.path = "/api/qtz/front_device_list";
            request.params = DevicePageParams(page);
            request.standardLog = false;
            benchmark::DoNotOptimize(CallService(request).envelope.success);
        }
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    korvana::test::TempDir home;
    korvana::test::ServiceProcess service { "demo" };
    korvana::test::ServiceControl control { service.url("") };
    std::unique_ptr<CMainWnd> window;
    std::unique_ptr<DuiLib::CUiDriver> ui;
    bool ok = false;
};

void BM_DeviceListToPaintedTiles(benchmark::State& state)
{
    SignedInClient client;
    if (!client.ok) {
        state.SkipWithError("the client did not sign in and load");
        return;
    }
    double bare = 0;
    double transport = 0;
    double loaded = 0;
    std::vector<double> ratios;
    std::vector<double> firsts;
    std::vector<double> paints;
    for (auto _ : state) {
        const double bareBefore = client.BareLoop();
        transport += client.ClientTransport();
        double first = 0;
        const double seconds = client.LoadToPaint(&first);
        firsts.push_back(first * 1000);
        paints.push_back(client.lastPaints);
        if (seconds < 0) {
            state.SkipWithError("the tiles were not painted");
            return;
        }
        // The bare loop on both sides of the load: the machine's speed
        // drifts even within an iteration.
        const double bareSeconds = (bareBefore + client.BareLoop()) / 2;
        bare += bareSeconds;
        loaded += seconds;
        ratios.push_back(seconds / bareSeconds);
        state.SetIterationTime(seconds);
    }
    auto* tiles = client.window->Paint().FindControlAs<DuiLib::CTileLayoutUI>(L"TileOfDevice");
    state.counters["tiles"] = tiles ? tiles->GetCount() : 0;
    state.counters["bare_ms"] = bare * 1000 / static_cast<double>(state.iterations());
    state.counters["transport_ms"] = transport * 1000 / static_cast<double>(state.iterations());
    state.counters["ratio"] = loaded / bare;
    // Each iteration's own ratio, its median: the machine's speed drifts
    // between iterations more than the client's overhead does.
    state.counters["ratio_median"] = Median(ratios);
    state.counters["first_tiles_ms"] = Median(firsts);
    state.counters["paints"] = Median(paints);
    state.counters["rss_mb"] = ResidentMegabytes();
}
BENCHMARK(BM_DeviceListToPaintedTiles)->UseManualTime()->Iterations(25)->Unit(benchmark::kMillisecond);

// Resident memory of one client with 1000 devices listed and a catalogue of
// 1000 apps synchronised, their icons on disk and the market's view of them
// painted (target <= 120 MB).
void BM_ResidentWithDevicesAndCatalogue(benchmark::State& state)
{
    SignedInClient client(1000);
    if (!client.ok) {
        state.SkipWithError("the client did not sign in and load");
        return;
    }
    int shown = 0;
    for (auto _ : state) {
        client.ui->Click(L"OptOfAppTab");
        auto* games = client.window->Paint().FindControlAs<DuiLib::CTileLayoutUI>(L"TileOfGame");
        client.ui->WaitUntil(
            [&] { return games && games->GetCount() > 0 && RunningTaskCount() == 0; }, 60000);
        if (auto* widget = static_cast<QWidget*>(client.window->GetNativeWindow()))
            widget->repaint();
        client.ui->ProcessEvents(200);
        shown = games ? games->GetCount() : 0;
    }
    std::error_code error;
    int icons = 0;
    for (const auto& entry : std::filesystem::directory_iterator(client.iconFolder, error))
        icons += entry.is_regular_file() ? 1 : 0;
    auto* tiles = client.window->Paint().FindControlAs<DuiLib::CTileLayoutUI>(L"TileOfDevice");
    state.counters["device_tiles"] = tiles ? tiles->GetCount() : 0;
    state.counters["app_tiles_shown"] = shown;
    state.counters["icon_files"] = icons;
    state.counters["rss_mb"] = ResidentMegabytes();
}
BENCHMARK(BM_ResidentWithDevicesAndCatalogue)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_DeviceListAt30ms(benchmark::State& state)
{
    SignedInClient client;
    if (!client.ok) {
        state.SkipWithError("the client did not sign in and load");
        return;
    }
    client.control.SetLatency(30);
    std::vector<double> loads;
    std::vector<double> firsts;
    for (auto _ : state) {
        double first = 0;
        const double seconds = client.LoadToPaint(&first);
        if (seconds < 0) {
            state.SkipWithError("the tiles were not painted");
            break;
        }
        loads.push_back(seconds * 1000);
        firsts.push_back(first * 1000);
        state.SetIterationTime(seconds);
    }
    client.control.SetLatency(0);
    state.counters["load_ms"] = Median(loads);
    state.counters["load_max_ms"] = loads.empty() ? 0 : *std::max_element(loads.begin(), loads.end());
    state.counters["first_tiles_ms"] = Median(firsts);
}
BENCHMARK(BM_DeviceListAt30ms)->UseManualTime()->Iterations(7)->Unit(benchmark::kMillisecond);

// Rebuilding the group view's tiles for the 1000 loaded devices and painting.
void BM_RebuildTiles(benchmark::State& state)
{
    SignedInClient client;
    if (!client.ok) {
        state.SkipWithError("the client did not sign in and load");
        return;
    }
    for (auto _ : state) {
        client.Page()->ShowGroupDevices(0);
        client.window->Paint().UpdateLayout();
        if (auto* widget = static_cast<QWidget*>(client.window->GetNativeWindow()))
            widget->repaint();
    }
}
BENCHMARK(BM_RebuildTiles)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_ScreenshotToTileFile(benchmark::State& state)
{
    QImage image(1080, 1920, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor(40, 90, 160));
    for (int y = 0; y < 1920; y += 40)
        painter.fillRect(QRect(0, y, 1080, 20), QColor(220, 200 - y / 12, 80));
    painter.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    const std::string bytes = jpeg.toStdString();
    korvana::test::TempDir dir;
    const std::string path = (dir.path() / "7.jpeg").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(StoreScreenshotImage(bytes, path));
    state.counters["jpeg_kb"] = static_cast<double>(bytes.size()) / 1024;
}
BENCHMARK(BM_ScreenshotToTileFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
