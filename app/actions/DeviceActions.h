#pragma once

// What other pages may ask of the device page.
class IDeviceActions {
public:
    virtual ~IDeviceActions() = default;
    // Loads the groups, then (when that load ends) the device list.
    virtual void StartGroupLoad() = 0;
    // Loads the device list again (players are closed first).
    virtual void StartDeviceListLoad() = 0;
    // Redraws the tiles of the current view (the main tab shows the page).
    virtual void RefreshDeviceView() = 0;
    // Makes the device's tile, if the view has one, show its screenshot file
    // anew (after a player ended, or a rebooted device answered).
    virtual void ReloadTileImage(int device) = 0;
};
