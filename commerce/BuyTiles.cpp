#include "commerce/BuyTiles.h"

#include <memory>

#include "devices/DeviceMembers.h"
#include "net/NumberText.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UITileLayout.h"

using namespace DuiLib;

void FillTiles(CTileLayoutUI* layout, const wchar_t* elementFile, const std::vector<TileContent>& tiles)
{
    layout->RemoveAll();
    for (const TileContent& content : tiles) {
        std::unique_ptr<CControlUI> element = BuildElement(elementFile);
        if (!element)
            continue;
        CControlUI* tile = layout->Add(std::move(element));
        tile->SetText(content.text);
        if (!content.toolTip.empty())
            tile->SetToolTip(content.toolTip);
        tile->SetTag(content.tag);
    }
    SizeTileToContent(layout, layout->GetCount());
}

std::vector<TileContent> RechargeTiles(const std::vector<RechargePlan>& plans)
{
    std::vector<TileContent> tiles;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const RechargePlan& plan = plans[i];
        tiles.push_back({ L"<x 30><y 10><f 19>" + plan.points
                + L"</f></y></x><x 5>积分<f 12></f></x><p 5><x 5>优惠价：<f 15>¥ " + plan.amountText
                + L" </f>元</x></p>",
            std::wstring(), i });
    }
    return tiles;
}

std::vector<TileContent> PlanTiles(const std::vector<PurchasePlan>& plans)
{
    std::vector<TileContent> tiles;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const PurchasePlan& plan = plans[i];
        // A long description does not fit the tile: the whole of it on hover.
        tiles.push_back(
            { L"<x 35><f 14>" + plan.type + L"</f>设备</x><p 5><x 30><f 12>  " + plan.desc + L"</f></x></p>",
                plan.desc, i });
    }
    return tiles;
}

std::vector<TileContent> PriceTiles(const PurchasePlan& plan)
{
    std::vector<TileContent> tiles;
    for (const auto& [days, points] : plan.prices) {
        tiles.push_back(
            { L"<x 35><f 15>" + IntToWide(days) + L"天 / 台</f><f 12></f></x><p 5><x 15>所需积分<f 13> "
                    + IntToWide(points) + L"</f></x></p>",
                std::wstring(), static_cast<std::uintptr_t>(days) });
    }
    return tiles;
}

std::vector<TileContent> RenewalTiles(const std::vector<DeviceRecord>& devices)
{
    std::vector<TileContent> tiles;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const DeviceRecord& device = devices[i];
        if (!device.selected)
            continue;
        tiles.push_back({ L"<x 35><f 15>" + device.name + L"</f></x><p 5><x 10><f 12>" + device.bind_plan_type
                + L" </f><f 14>" + device.expiry_text + L"</f></x></p>",
            device.bind_plan_type + L"_" + device.id + L"_" + device.ip + L"_" + device.sn, i });
    }
    return tiles;
}
