#include "devices/DeviceTileView.h"

#include <algorithm>
#include <memory>

#include "app/ClientManager.h"
#include "app/PageBox.h"
#include "app/Shell.h"
#include "devices/DeviceFilters.h"
#include "devices/DeviceGroups.h"
#include "devices/DeviceList.h"
#include "devices/DeviceTile.h"
#include "devices/Screenshot.h"
#include "net/NumberText.h"
#include "net/TextConvert.h"
#include "ui/UICheckBox.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIEdit.h"
#include "ui/UILazyContainer.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UITabLayout.h"
#include "ui/UITileLayout.h"

using namespace DuiLib;

namespace {

constexpr int kSelectorRowHeight = 25;
constexpr int kSelectorMaxRows = 3;
constexpr int kScreenshotFrames = 18;
constexpr int kMainDevicePage = 2;

// The frame number of "..._<n>.png' ..." in a disabled-image text, 0 when
// there is none.
int FrameOf(const std::wstring& image)
{
    const std::size_t underscore = image.rfind(L'_');
    const std::size_t dot = image.rfind(L'.');
    if (underscore == std::wstring::npos || dot == std::wstring::npos || dot <= underscore)
        return 0;
    return WideToInt(image.substr(underscore + 1, dot - underscore - 1));
}

} // namespace

DeviceTileView::DeviceTileView(IShell& shell)
    : m_shell(shell)
{
}

DeviceTileView::~DeviceTileView()
{
    // The tiles' builders refer to this view; the window's tree outlives it.
    if (m_tiles)
        m_tiles->RemoveAll();
}

bool DeviceTileView::Bind(CPaintManagerUI& paint)
{
    m_paint = &paint;
    m_optAll = paint.FindControlAs<COptionUI>(L"OptOfAllDevice");
    m_optExpired = paint.FindControlAs<COptionUI>(L"OptOfExtDevice");
    m_optOffline = paint.FindControlAs<COptionUI>(L"OptOfOfflineDevice");
    m_optSearch = paint.FindControlAs<COptionUI>(L"OptOfDeviceSearch");
    m_search = paint.FindControlAs<CEditUI>(L"EditOfSearch");
    m_tabOfDevice = paint.FindControlAs<CTabLayoutUI>(L"TabOfDevice");
    m_tabShown = paint.FindControlAs<CTabLayoutUI>(L"TabOfDeviceShown");
    m_tiles = paint.FindControlAs<CTileLayoutUI>(L"TileOfDevice");
    m_selector = paint.FindControlAs<CListUI>(L"ListOfDeviceGroupSel");
    m_batch = paint.FindControlAs<CCheckBoxUI>(L"CBoxOfBatOpt");
    m_selectAll = paint.FindControlAs<CCheckBoxUI>(L"CBoxOfSelAll");
    m_batchBar = paint.FindControl(L"HLayOfBatOpt");
    m_allDisplay = paint.FindControl(L"BtnOfAllDisplay");
    m_menuDevice = paint.FindControlAs<COptionUI>(L"OptOfDevice");
    m_tabOfMain = paint.FindControlAs<CTabLayoutUI>(L"TabOfMain");
    return m_optAll && m_optExpired && m_optOffline && m_optSearch && m_search && m_tabOfDevice && m_tabShown
        && m_tiles && m_selector && m_batch && m_selectAll && m_batchBar && m_allDisplay && m_menuDevice
        && m_tabOfMain;
}

bool DeviceTileView::OnNotify(TNotifyUI& notification)
{
    CControlUI* sender = notification.pSender;
    const std::wstring& type = notification.sType;
    if (type == DUI_MSGTYPE_SELECTCHANGED)
        return OnSelectChanged(sender);
    if (type == DUI_MSGTYPE_ITEMSELECT && sender == m_selector) {
        OnGroupSelected(m_selector->GetCurSel());
        return true;
    }
    if (type == DUI_MSGTYPE_TEXTCHANGED && sender == m_search) {
        // The hidden option takes the selection, so none of the three visible
        // views looks chosen while the search shows.
        const std::wstring text = m_search->GetText();
        if (text.empty()) {
            // An emptied search is no search: back to 我的设备 with its own
            // rules (no expired or faulty devices there).
            m_optAll->Selected(true);
            m_search->SetFocus();
            return true;
        }
        m_optSearch->Selected(true);
        SearchDevices(text);
        m_search->SetFocus();
        return true;
    }
    if (type == DUI_MSGTYPE_TIMER && sender->GetName() == L"BtnOfScreenshot") {
        OnScreenshotTimer(sender);
        return true;
    }
    return false;
}

bool DeviceTileView::OnSelectChanged(CControlUI* sender)
{
    if (sender == m_optAll) {
        if (m_optAll->IsSelected()) {
            m_selector->SetVisible(true);
            ShowGroupDevices(m_currentGroupIndex);
        }
        return true;
    }
    if (sender == m_optExpired) {
        if (m_optExpired->IsSelected()) {
            m_selector->SetVisible(false);
            ShowExpiredDevices();
        }
        return true;
    }
    if (sender == m_optOffline) {
        if (m_optOffline->IsSelected()) {
            m_selector->SetVisible(false);
            ShowOfflineDevices();
        }
        return true;
    }
    if (sender == m_optSearch)
        return true;
    if (sender == m_batch) {
        ApplyBatchMode();
        // The control page closes its players and the synchronised control
        // on the same change.
        return false;
    }
    if (sender == m_selectAll) {
        SelectAllShown(m_selectAll->IsSelected());
        return true;
    }
    return false;
}

std::vector<DeviceRecord>& DeviceTileView::Devices()
{
    return m_shell.Client().devices.devices;
}

bool DeviceTileView::ValidDevice(int device) const
{
    if (!m_shell.ClientRef())
        return false;
    const auto& devices = m_shell.Client().devices.devices;
    return device >= 0 && static_cast<std::size_t>(device) < devices.size();
}

bool DeviceTileView::IsBatchMode() const
{
    return m_batch && m_batch->IsSelected();
}

void DeviceTileView::RemoveTiles()
{
    // Removing a tile also ends its screenshot animation timer.
    m_tiles->RemoveAll();
    if (!m_shell.ClientRef())
        return;
    for (DeviceRecord& d : Devices())
        d.tile_index = -1;
}

void DeviceTileView::ShowTiles(const std::vector<int>& shown)
{
    const std::size_t kept = m_keepLeadingTiles ? LeadingTilesOf(shown) : 0;
    if (kept == 0) {
        RemoveTiles();
    } else {
        for (int i = m_tiles->GetCount() - 1; i >= static_cast<int>(kept); --i)
            m_tiles->RemoveAt(i);
        for (DeviceRecord& d : Devices())
            d.tile_index = -1;
        for (std::size_t i = 0; i < kept; ++i)
            Devices()[static_cast<std::size_t>(shown[i])].tile_index = static_cast<int>(i);
    }
    // Tiles are placeholders until they first come into view (a thousand
    // whole tiles take longer than loading the list). One element made once
    // tells whether the skin has it at all: without it no device has a tile.
    if (shown.size() > kept && HasTileElement()) {
        for (std::size_t i = kept; i < shown.size(); ++i)
            BuildDeviceTile(shown[i], m_tiles->GetCount());
    }
    m_tabShown->SelectItem(m_tiles->GetCount() > 0 ? kTilesPage : kNoDevicesPage);
}

std::size_t DeviceTileView::LeadingTilesOf(const std::vector<int>& shown) const
{
    const std::size_t count = static_cast<std::size_t>(m_tiles->GetCount());
    std::size_t kept = 0;
    while (kept < shown.size() && kept < count
        && m_tiles->GetItemAt(static_cast<int>(kept))->GetTag() == static_cast<std::uintptr_t>(shown[kept]))
        ++kept;
    return kept;
}

bool DeviceTileView::HasTileElement()
{
    if (m_element == ElementKnown::NotYet)
        m_element
            = BuildElement(L"DeviceElement.xml", m_paint) ? ElementKnown::Present : ElementKnown::Missing;
    return m_element == ElementKnown::Present;
}

void DeviceTileView::BuildDeviceTile(int device, int position)
{
    DeviceRecord& record = Devices()[static_cast<std::size_t>(device)];
    record.tile_index = -1;
    // The tile is filled when it is made, from the record as it is then, so
    // what changed meanwhile (selection, batch mode, a player) shows.
    auto tile = std::make_unique<CLazyContainerUI>([this, device](CLazyContainerUI& self) {
        if (!ValidDevice(device))
            return;
        std::unique_ptr<CControlUI> element = BuildElement(L"DeviceElement.xml", m_paint);
        if (!element)
            return;
        // A copy: a play task writes the address and player_open under the
        // list lock meanwhile.
        DeviceRecord copy;
        {
            std::lock_guard lock(m_shell.Client().devices.listMutex);
            copy = Devices()[static_cast<std::size_t>(device)];
        }
        FillDeviceTile(*element, copy, device, m_shell.Client().devices.groups, IsBatchMode());
        self.Add(std::move(element));
    });
    tile->SetTag(static_cast<std::uintptr_t>(device));
    if (m_tiles->Add(std::move(tile)))
        record.tile_index = position;
}

void DeviceTileView::ShowGroupDevices(int groupIndex)
{
    if (!m_viewsOpen || !m_shell.ClientRef())
        return;
    const DeviceMembers& members = m_shell.Client().devices;
    const int g = ClampGroupIndex(groupIndex, members.groups.size());
    m_optAll->SetText(g < 1 ? std::wstring(kMyDevicesText)
                            : AnsiToWide(members.groups[static_cast<std::size_t>(g - 1)].name));
    const GroupView view = GroupViewDevices(members.devices, members.groups, g);
    ShowTiles(view.shown);
    m_optOffline->SetForeImage(view.anyOffline ? m_optOffline->GetDisabledImage() : std::wstring());
    m_optExpired->SetForeImage(view.anyExpired ? m_optExpired->GetDisabledImage() : std::wstring());
}

void DeviceTileView::ShowExpiredDevices()
{
    if (!m_viewsOpen || !m_shell.ClientRef())
        return;
    ShowTiles(::ExpiredDevices(Devices()));
}

void DeviceTileView::ShowOfflineDevices()
{
    if (!m_viewsOpen || !m_shell.ClientRef())
        return;
    ShowTiles(::OfflineDevices(Devices()));
}

void DeviceTileView::SearchDevices(const std::wstring& text)
{
    if (!m_viewsOpen || !m_shell.ClientRef())
        return;
    ShowTiles(::SearchDevices(Devices(), text));
}

void DeviceTileView::RefreshCurrentView()
{
    if (m_optExpired->IsSelected())
        ShowExpiredDevices();
    else if (m_optOffline->IsSelected())
        ShowOfflineDevices();
    else if (m_optSearch->IsSelected())
        SearchDevices(m_search->GetText());
    else
        ShowGroupDevices(m_currentGroupIndex);
}

void DeviceTileView::ExtendCurrentView()
{
    m_keepLeadingTiles = true;
    RefreshCurrentView();
    m_keepLeadingTiles = false;
}

void DeviceTileView::ShowProgress()
{
    m_tabShown->SelectItem(kProgressPage);
}

void DeviceTileView::ShowList()
{
    m_tabOfDevice->SelectItem(kDeviceListPage);
    m_tabShown->SelectItem(kTilesPage);
    FillGroupSelector(true);
}

void DeviceTileView::ShowGroupEditor()
{
    m_selector->SetVisible(false);
    m_tabOfDevice->SelectItem(kGroupEditorPage);
}

void DeviceTileView::FillGroupSelector(bool toFront)
{
    if (!m_shell.ClientRef())
        return;
    const std::vector<DeviceGroupRecord>& groups = m_shell.Client().devices.groups;
    if (toFront) {
        // The main menu's device entry: its "selectchanged" brings the device
        // page to the front, also after a load that ends while another page
        // shows.
        m_menuDevice->Selected(true);
        if (m_tabOfMain->GetCurSel() != kMainDevicePage)
            m_tabOfMain->SelectItem(kMainDevicePage);
    }
    if (m_tabOfMain->GetCurSel() == kMainDevicePage) {
        m_menuDevice->Selected(true, false);
        m_selector->SetVisible(true);
    }
    m_selector->RemoveAll();
    const auto addEntry = [&](const std::wstring& text) {
        auto entry = std::make_unique<CListLabelElementUI>();
        entry->SetText(text);
        entry->SetFixedHeight(kSelectorRowHeight);
        m_selector->Add(std::move(entry));
    };
    addEntry(kMyDevicesText);
    for (const DeviceGroupRecord& group : groups)
        addEntry(AnsiToWide(group.name));
    m_currentGroupIndex = ClampGroupIndex(m_currentGroupIndex, groups.size());
    m_selector->SelectItem(m_currentGroupIndex, false, false);
    const int rows = std::min(static_cast<int>(groups.size()) + 1, kSelectorMaxRows);
    m_selector->SetFixedHeight(kSelectorRowHeight * rows);
    OnGroupSelected(m_currentGroupIndex);
}

void DeviceTileView::OnGroupSelected(int index)
{
    if (!m_shell.ClientRef())
        return;
    m_currentGroupIndex = ClampGroupIndex(index, m_shell.Client().devices.groups.size());
    if (m_optAll->IsSelected())
        ShowGroupDevices(m_currentGroupIndex);
    else
        m_optAll->Selected(true); // its "selectchanged" shows the group
}

void DeviceTileView::FitGroupIndex()
{
    m_currentGroupIndex = ::ClampGroupIndex(m_currentGroupIndex, m_shell.Client().devices.groups.size());
}

CControlUI* DeviceTileView::TileOf(int device) const
{
    if (!ValidDevice(device))
        return nullptr;
    const int position = m_shell.Client().devices.devices[static_cast<std::size_t>(device)].tile_index;
    if (position < 0 || position >= m_tiles->GetCount())
        return nullptr;
    CControlUI* tile = m_tiles->GetItemAt(position);
    return tile && DeviceIndexOfTile(*tile) == device ? tile : nullptr;
}

void DeviceTileView::ApplyBatchMode()
{
    const bool batch = IsBatchMode();
    m_batchBar->SetVisible(batch);
    m_allDisplay->SetVisible(batch);
    if (!m_shell.ClientRef())
        return;
    for (int i = 0; i < m_tiles->GetCount(); ++i) {
        CControlUI* tile = m_tiles->GetItemAt(i);
        const int device = tile ? DeviceIndexOfTile(*tile) : -1;
        // A tile not made yet takes the mode when it is made.
        if (ValidDevice(device) && IsTileMade(*tile))
            ApplyBatchModeToTile(*tile, Devices()[static_cast<std::size_t>(device)], batch);
    }
}

void DeviceTileView::SelectAllShown(bool selected)
{
    for (int i = 0; i < m_tiles->GetCount(); ++i) {
        CControlUI* tile = m_tiles->GetItemAt(i);
        const int device = tile ? DeviceIndexOfTile(*tile) : -1;
        if (!ValidDevice(device))
            continue;
        SetDeviceSelected(m_shell.Client().devices, static_cast<std::size_t>(device), selected);
        if (!IsTileMade(*tile))
            continue; // made from the record later
        if (auto* box = tile->FindSubControlAs<CCheckBoxUI>(L"CBoxOfDevicd"))
            box->SetCheck(selected, false);
    }
}

void DeviceTileView::OnScreenshotClick(int device)
{
    if (!ValidDevice(device))
        return;
    if (!m_shell.Start(UpdateScreenshot, static_cast<TaskArg>(device)))
        return;
    CControlUI* tile = TileOf(device);
    CControlUI* button = tile ? tile->FindSubControl(L"BtnOfScreenshot") : nullptr;
    if (!button)
        return;
    button->SetEnabled(false);
    button->SetTimer(static_cast<unsigned>(device), kScreenshotTimerPeriodMs);
}

void DeviceTileView::OnScreenshotTimer(CControlUI* button)
{
    const int frame = (FrameOf(button->GetDisabledImage()) + 1) % kScreenshotFrames;
    button->SetDisabledImage(
        L"file='img\\sinchronize\\sinchronize_25_white_" + IntToWide(frame) + L".png' dest='0,0,25,25'");
}

void DeviceTileView::OnScreenshotResult(int device, bool ok)
{
    if (ValidDevice(device)) {
        // A tile built later reads the new file too.
        m_paint->RemoveImage(ScreenshotFilePath(Devices()[static_cast<std::size_t>(device)].id));
        if (CControlUI* tile = TileOf(device)) {
            ShowTileScreenshot(*tile, Devices()[static_cast<std::size_t>(device)]);
            if (CControlUI* button = tile->FindSubControl(L"BtnOfScreenshot")) {
                button->SetEnabled(true);
                button->KillTimers();
            }
        }
    }
    if (!ok)
        ShowNotice(m_shell, L"更新截屏失败，请稍后重试！");
}

void DeviceTileView::ReloadTileImage(int device)
{
    if (CControlUI* tile = TileOf(device))
        ShowTileScreenshot(*tile, Devices()[static_cast<std::size_t>(device)]);
}

void DeviceTileView::Clear()
{
    RemoveTiles();
    m_selector->RemoveAll();
    m_tabOfDevice->SelectItem(kDeviceListPage);
    m_tabShown->SelectItem(kProgressPage);
    m_batch->SetCheck(false, false);
    ApplyBatchMode();
    // The next account starts on its own 我的设备, not on the group, view
    // or search the previous one left.
    m_currentGroupIndex = 0;
    m_search->SetText(L"");
    m_optAll->Selected(true, false);
    m_optAll->SetText(kMyDevicesText);
}
