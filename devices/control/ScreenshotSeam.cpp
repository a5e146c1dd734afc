#include "devices/control/ScreenshotSeam.h"

#include <mutex>

#include "devices/Screenshot.h"

namespace {

std::mutex g_mutex;
ScreenshotFetcher g_override;

bool DefaultFetch(ClientManager& owner, int deviceIndex)
{
    return FetchScreenshot(owner, deviceIndex);
}

} // namespace

bool FetchScreenshotForControl(ClientManager& owner, int deviceIndex)
{
    ScreenshotFetcher fetcher;
    {
        std::lock_guard lock(g_mutex);
        fetcher = g_override;
    }
    return fetcher ? fetcher(owner, deviceIndex) : DefaultFetch(owner, deviceIndex);
}

void SetScreenshotFetcherForTesting(ScreenshotFetcher fetcher)
{
    std::lock_guard lock(g_mutex);
    g_override = std::move(fetcher);
}
