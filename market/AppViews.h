#pragma once

#include <vector>

#include "market/CatalogueMembers.h"

struct DeviceRecord;

namespace DuiLib {
class CContainerUI;
class CControlUI;
class CListUI;
class CTileLayoutUI;
} // namespace DuiLib

// Filling the app page's controls from the lists; window side only.

// Height of one group of the category view: (icons / columns, rounded up)
// x 80 + 30.
int GroupHeight(int icons, int columns);

// One icon from "GameIconElement.xml" bound to the record, or null when the
// template is missing.
std::unique_ptr<DuiLib::CControlUI> MakeAppIcon(const AppRecord& app);

// The icon tile of the hot, "我的应用" and search views.
void BuildAppIcons(DuiLib::CTileLayoutUI& tile, const std::vector<AppRecord>& apps);
// The tags of a main category: "热门" (tag = the main category) and one per
// sub-category; the tile grows to the rows they need. Returns the "热门" tag.
DuiLib::CControlUI* BuildSubtypeTags(
    DuiLib::CTileLayoutUI& tags, int mainCategory, const std::vector<SubtypeRecord>& subtypes);
// The groups of the category views: one per run of equal category ids.
void BuildTypeTiles(DuiLib::CListUI& list, const std::vector<AppRecord>& apps);
// The two lists of the install column.
void BuildInstallLists(DuiLib::CListUI& devices, DuiLib::CListUI& apps,
    const std::vector<DeviceRecord>& deviceList, const std::vector<AppRecord>& selectedApps);
