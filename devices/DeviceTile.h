#pragma once

#include <string>
#include <vector>

#include "devices/DeviceMembers.h"

namespace DuiLib {
class CControlUI;
}

// The tooltip of a tile's preview: plan_id, a line break, ip_sn.
std::wstring DeviceInfoText(const DeviceRecord& device);
// The plan and expiry markup of the renewal button.
std::wstring TimeLeftMarkup(const DeviceRecord& device);

// Fills one "DeviceElement.xml" element for the device with index `index`:
// tooltips, tags, name, status, screenshot, plan and expiry, group name and
// the parts that batch mode shows or hides.
void FillDeviceTile(DuiLib::CControlUI& tile, const DeviceRecord& device, int index,
    const std::vector<DeviceGroupRecord>& groups, bool batchMode);

// The parts of a built tile that batch mode switches.
void ApplyBatchModeToTile(DuiLib::CControlUI& tile, const DeviceRecord& device, bool batchMode);

// Sets the preview background to the device's screenshot file, read anew
// (the engine's cached copy dropped first); no picture while there is none.
void ShowTileScreenshot(DuiLib::CControlUI& tile, const DeviceRecord& device);

// The device index a tile carries in its tags, or -1. A tile not made yet
// carries it on itself.
int DeviceIndexOfTile(DuiLib::CControlUI& tile);

// Whether the tile's parts exist: false for a placeholder not yet in view.
bool IsTileMade(DuiLib::CControlUI& tile);
