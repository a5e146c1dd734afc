#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commerce/CommerceMembers.h"

struct DeviceRecord;

namespace DuiLib {
class CTileLayoutUI;
} // namespace DuiLib

// What the tiles of the purchase page show, and the one way they are filled.

// One tile: its text, its tool tip (empty: none) and the tag its click
// carries (a list index, or the days of a price).
struct TileContent {
    std::wstring text;
    std::wstring toolTip;
    std::uintptr_t tag = 0;
};

// Empties the layout, adds one element of the skin file per entry in order
// (one the skin cannot build is left out) and gives the layout the height
// of what it holds.
void FillTiles(
    DuiLib::CTileLayoutUI* layout, const wchar_t* elementFile, const std::vector<TileContent>& tiles);

// A recharge plan per tile: its points and its price; tagged by index.
std::vector<TileContent> RechargeTiles(const std::vector<RechargePlan>& plans);
// A device kind per tile, its whole description on hover; tagged by index.
std::vector<TileContent> PlanTiles(const std::vector<PurchasePlan>& plans);
// The prices of one kind by days ascending; tagged by their days.
std::vector<TileContent> PriceTiles(const PurchasePlan& plan);
// The selected devices, tagged by their index in the list.
std::vector<TileContent> RenewalTiles(const std::vector<DeviceRecord>& devices);
