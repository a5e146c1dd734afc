// How long reading answers and converting request texts takes.
#include <benchmark/benchmark.h>

#include <string>

#include "net/ClusterCurl.h"
#include "net/JsonRead.h"
#include "net/ResponseEnvelope.h"
#include "net/TextConvert.h"

namespace {

// A device-list page as the service writes it: the payload as an escaped
// string inside the envelope.
std::string DevicePage(int devices)
{
    std::string payload = "{\\\"data\\\":[";
    for (int i = 0; i < devices; ++i) {
        if (i > 0)
            payload += ",";
        payload += "{\\\"id\\\":\\\"" + std::to_string(1000 + i) + "\\\",\\\"name\\\":\\\"云手机"
            + std::to_string(i)
            + "\\\",\\\"ip\\\":\\\"10.0.0.1\\\",\\\"time_left\\\":\\\"86400\\\",\\\"online_status\\\":"
              "\\\"1\\\"}";
    }
    payload += "],\\\"page_index\\\":1,\\\"pages\\\":1}";
    return "{\"status\":true,\"message\":\"" + payload + "\"}";
}

void BM_ParseEnvelopeDevicePage(benchmark::State& state)
{
    const std::string body = DevicePage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ResponseEnvelope e = ParseEnvelope(body);
        std::size_t n = 0;
        for (const cJSON* item : json::Elements(json::Member(e.payload.get(), "data")))
            n += json::AnsiText(item, "name").size();
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ParseEnvelopeDevicePage)->Arg(10)->Arg(1000);

void BM_ParseEnvelope10MB(benchmark::State& state)
{
    const std::string body = R"({"status":false,"message":")" + std::string(10 * 1024 * 1024, 'x') + "\"}";
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseEnvelope(body).messageText.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ParseEnvelope10MB)->Unit(benchmark::kMillisecond);

void BM_LoginParameterText(benchmark::State& state)
{
    const std::wstring params = L"username=张三&password=korvana123";
    for (auto _ : state)
        benchmark::DoNotOptimize(ClusterCurl::encodeFormValues(WideToAnsi(params)));
}
BENCHMARK(BM_LoginParameterText);

} // namespace

BENCHMARK_MAIN();
