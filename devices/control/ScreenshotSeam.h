#pragma once

#include <functional>

class ClientManager;

// Fetches one device's screenshot into its cache file on the calling worker
// (the device list's own routine); true when the device answered.
using ScreenshotFetcher = std::function<bool(ClientManager& owner, int deviceIndex)>;

bool FetchScreenshotForControl(ClientManager& owner, int deviceIndex);

// Tests replace the fetch (an empty function restores the real one).
void SetScreenshotFetcherForTesting(ScreenshotFetcher fetcher);
