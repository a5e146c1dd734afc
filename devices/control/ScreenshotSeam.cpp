#include "devices/control/ScreenshotSeam.h"

#include <mutex>

namespace {

std::mutex g_mutex;
ScreenshotFetcher g_override;

// Until the device list's fetch is linked in, a device counts as answering.
bool DefaultFetch(ClientManager&, int) { return true; }

}  // namespace

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
