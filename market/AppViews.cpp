#include "market/AppViews.h"

#include "devices/DeviceMembers.h"
#include "market/CatalogueSync.h"
#include "platform/FileSystem.h"
#include "platform/Utf8.h"
#include "ui/UICheckBox.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UILabel.h"
#include "ui/UIList.h"
#include "ui/UITileLayout.h"

using namespace DuiLib;

namespace {

constexpr int kGroupRowHeight = 80;
constexpr int kGroupTitleHeight = 30;

bool IconExists(std::int64_t id)
{
    return IsRegularFile(IconFilePath(id));
}

} // namespace

int GroupHeight(int icons, int columns)
{
    if (columns <= 0)
        columns = 1;
    return (icons + columns - 1) / columns * kGroupRowHeight + kGroupTitleHeight;
}

std::unique_ptr<CControlUI> MakeAppIcon(const AppRecord& app)
{
    std::unique_ptr<CControlUI> element = BuildElement(L"GameIconElement.xml");
    if (!element)
        return nullptr;
    if (auto* box = element->FindSubControlAs<CCheckBoxUI>(L"CBoxOfGame")) {
        box->SetTag(static_cast<std::uintptr_t>(static_cast<std::intptr_t>(app.id)));
        box->SetText(app.name);
        box->SetToolTip(app.name);
        if (IconExists(app.id))
            box->SetForeImage(L"file='" + IconFilePathWide(app.id) + L"' dest='12,1,62,51'");
        box->SetCheck(app.selected, false);
    }
    if (CControlUI* version = element->FindSubControl(L"LabOfAppVersion"))
        version->SetText(app.version);
    return element;
}

void BuildAppIcons(CTileLayoutUI& tile, const std::vector<AppRecord>& apps)
{
    tile.RemoveAll();
    for (const AppRecord& app : apps) {
        if (std::unique_ptr<CControlUI> icon = MakeAppIcon(app))
            tile.Add(std::move(icon));
    }
}

CControlUI* BuildSubtypeTags(
    CTileLayoutUI& tags, int mainCategory, const std::vector<SubtypeRecord>& subtypes)
{
    tags.RemoveAll();
    CControlUI* hot = nullptr;
    if (std::unique_ptr<CControlUI> tag = BuildElement(L"PlatformTagElement.xml")) {
        tag->SetText(L"热门");
        tag->SetTag(static_cast<std::uintptr_t>(static_cast<std::intptr_t>(mainCategory)));
        hot = tags.Add(std::move(tag));
    }
    for (const SubtypeRecord& subtype : subtypes) {
        std::unique_ptr<CControlUI> tag = BuildElement(L"PlatformTagElement.xml");
        if (!tag)
            break;
        tag->SetText(subtype.name);
        tag->SetToolTip(subtype.name);
        tag->SetTag(static_cast<std::uintptr_t>(static_cast<std::intptr_t>(subtype.id)));
        tags.Add(std::move(tag));
    }
    SizeTileToContent(&tags, static_cast<int>(subtypes.size()));
    return hot;
}

void BuildTypeTiles(CListUI& list, const std::vector<AppRecord>& apps)
{
    list.RemoveAll();
    std::unique_ptr<CControlUI> group;
    CTileLayoutUI* tile = nullptr;
    auto closeGroup = [&] {
        if (group && tile && tile->GetCount() > 0) {
            int columns = tile->GetColumns();
            if (columns <= 0)
                columns = tile->GetActualColumns();
            group->SetFixedHeight(GroupHeight(tile->GetCount(), columns));
            list.Add(std::move(group));
        }
        group.reset();
        tile = nullptr;
    };
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const AppRecord& app = apps[i];
        if (i == 0 || app.category_id != apps[i - 1].category_id) {
            closeGroup();
            group = BuildElement(L"GameTileElement.xml");
            if (!group)
                return;
            if (CControlUI* title = group->FindSubControl(L"OptOfTag")) {
                title->SetText(app.category_name);
                title->SetToolTip(app.category_name);
            }
            tile = group->FindSubControlAs<CTileLayoutUI>(L"TileOfGame");
        }
        if (!tile)
            continue;
        if (std::unique_ptr<CControlUI> icon = MakeAppIcon(app))
            tile->Add(std::move(icon));
    }
    closeGroup();
}

void BuildInstallLists(CListUI& devices, CListUI& apps, const std::vector<DeviceRecord>& deviceList,
    const std::vector<AppRecord>& selectedApps)
{
    devices.RemoveAll();
    for (std::size_t i = 0; i < deviceList.size(); ++i) {
        const DeviceRecord& device = deviceList[i];
        if (!device.selected)
            continue;
        std::unique_ptr<CControlUI> element = BuildElement(L"InstallListElement.xml");
        if (!element)
            break;
        if (CControlUI* name = element->FindSubControl(L"BtnOfInstallListElement")) {
            name->SetText(device.name);
            name->SetToolTip(device.bind_plan_type + L"_" + device.id + L"_" + device.ip + L"_" + device.sn);
        }
        if (CControlUI* remove = element->FindSubControl(L"BtnOfDelInstallListDeviceElement"))
            remove->SetTag(i);
        devices.Add(std::move(element));
    }
    apps.RemoveAll();
    for (const AppRecord& app : selectedApps) {
        std::unique_ptr<CControlUI> element = BuildElement(L"InstallListAppElement.xml");
        if (!element)
            break;
        if (CControlUI* name = element->FindSubControl(L"BtnOfInstallListAppElement")) {
            name->SetText(app.name);
            name->SetToolTip(app.name);
            if (IconExists(app.id))
                name->SetBkImage(L"file='" + IconFilePathWide(app.id) + L"' dest='0,5,20,25'");
        }
        if (CControlUI* remove = element->FindSubControl(L"BtnOfDelInstallListAppElement"))
            remove->SetTag(static_cast<std::uintptr_t>(static_cast<std::intptr_t>(app.id)));
        apps.Add(std::move(element));
    }
}
