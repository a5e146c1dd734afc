// Costs of the shell's shared pieces: a settings read (every read goes to
// the file), a settings write (temporary file, fsync, rename), one task from
// start to end, and one Send from a worker through the UI thread's queue.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <atomic>
#include <thread>

#include "app/ClientManager.h"
#include "app/SettingsFile.h"
#include "app/Task.h"
#include "platform/UiMessageQueue.h"
#include "tests/support/TempDir.h"

namespace {

struct NullWindow : IMessageTarget {
    LRESULT Send(UINT, WPARAM, LPARAM) override { return 0; }
    void Post(UINT, WPARAM, LPARAM) override { }
};

void BM_SettingsReadTrayChecks(benchmark::State& state)
{
    korvana::test::TempDir dir;
    SettingsFile settings((dir.path() / "config.ini").string());
    settings.WriteFirstRunDefaults();
    settings.SaveRememberedLogin(L"demo", L"demo123");
    for (auto _ : state)
        benchmark::DoNotOptimize(settings.ReadTrayChecks());
}
BENCHMARK(BM_SettingsReadTrayChecks);

void BM_SettingsWriteFlag(benchmark::State& state)
{
    korvana::test::TempDir dir;
    SettingsFile settings((dir.path() / "config.ini").string());
    settings.WriteFirstRunDefaults();
    bool on = false;
    for (auto _ : state)
        settings.WriteFlag(SettingsFile::kAutoLogin, on = !on);
}
BENCHMARK(BM_SettingsWriteFlag)->Unit(benchmark::kMicrosecond);

void BM_TaskStartToEnd(benchmark::State& state)
{
    NullWindow window;
    auto manager = std::make_shared<ClientManager>(&window);
    for (auto _ : state)
        StartTask(
            manager, [](ClientManager& o, TaskArg a) { o.RefreshStamp = static_cast<std::int64_t>(a); }, 1)
            .Wait();
}
BENCHMARK(BM_TaskStartToEnd)->Unit(benchmark::kMicrosecond);

void BM_SendThroughUiQueue(benchmark::State& state)
{
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = { name, nullptr };
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
    UiMessageQueue queue;
    queue.SetHandler([](UINT, WPARAM w, LPARAM) -> LRESULT { return static_cast<LRESULT>(w); });
    std::atomic<bool> done { false };
    for (auto _ : state) {
        done = false;
        std::thread worker([&] {
            for (int i = 0; i < 1000; ++i)
                queue.Send(1, static_cast<WPARAM>(i), 0);
            done = true;
        });
        RunNestedLoopUntil([&] { return done.load(); });
        worker.join();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_SendThroughUiQueue)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
