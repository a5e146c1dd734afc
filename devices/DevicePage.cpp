#include "devices/DevicePage.h"

#include <algorithm>
#include <ctime>
#include <memory>
#include <vector>

#include "app/ClientManager.h"
#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/Shell.h"
#include "app/actions/CommerceActions.h"
#include "app/actions/ControlActions.h"
#include "app/actions/MarketActions.h"
#include "devices/DeviceFilters.h"
#include "devices/DeviceGroups.h"
#include "devices/DeviceList.h"
#include "devices/DeviceTile.h"
#include "devices/Screenshot.h"
#include "net/NumberText.h"
#include "net/ResponseEnvelope.h"
#include "net/TextConvert.h"
#include "platform/MessageBox.h"
#include "platform/UiThreadCall.h"
#include "ui/UIButton.h"
#include "ui/UIDialogBuilder.h"
#include "ui/UIEdit.h"
#include "ui/UILayout.h"
#include "ui/UILazyContainer.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIProgress.h"

using namespace DuiLib;

namespace {

constexpr int kSelectorRowHeight = 25;
constexpr int kSelectorMaxRows = 3;
constexpr int kScreenshotFrames = 18;
constexpr int kMainDevicePage = 2;

int TagOf(const CControlUI* control)
{
    return static_cast<int>(control->GetTag());
}

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

}  // namespace

DevicePage::DevicePage(IShell& shell) : m_shell(shell) {}

DevicePage::~DevicePage()
{
    // The tiles' builders refer to this page; the window's tree outlives it.
    if (m_tiles)
        m_tiles->RemoveAll();
}

std::vector<UINT> DevicePage::Messages() const
{
    return {msg::UM_DEVICES};
}

bool DevicePage::Bind(CPaintManagerUI& paint)
{
    m_paint = &paint;
    m_optAll = paint.FindControlAs<COptionUI>(L"OptOfAllDevice");
    m_optExpired = paint.FindControlAs<COptionUI>(L"OptOfExtDevice");
    m_optOffline = paint.FindControlAs<COptionUI>(L"OptOfOfflineDevice");
    m_optSearch = paint.FindControlAs<COptionUI>(L"OptOfDeviceSearch");
    m_search = paint.FindControlAs<CEditUI>(L"EditOfSearch");
    m_tabOfDevice = paint.FindControlAs<CTabLayoutUI>(L"TabOfDevice");
    m_tabShown = paint.FindControlAs<CTabLayoutUI>(L"TabOfDeviceShown");
    m_progress = paint.FindControlAs<CProgressUI>(L"ProOfUpdata");
    m_tiles = paint.FindControlAs<CTileLayoutUI>(L"TileOfDevice");
    m_selector = paint.FindControlAs<CListUI>(L"ListOfDeviceGroupSel");
    m_groupList = paint.FindControlAs<CListUI>(L"ListOfDeviceGroup");
    m_refresh = paint.FindControl(L"BtnOfRefreshDeviceList");
    m_addGroup = paint.FindControl(L"BtnOfAddGroup");
    m_batch = paint.FindControlAs<CCheckBoxUI>(L"CBoxOfBatOpt");
    m_selectAll = paint.FindControlAs<CCheckBoxUI>(L"CBoxOfSelAll");
    m_batchBar = paint.FindControl(L"HLayOfBatOpt");
    m_allDisplay = paint.FindControl(L"BtnOfAllDisplay");
    m_menuDevice = paint.FindControlAs<COptionUI>(L"OptOfDevice");
    m_tabOfMain = paint.FindControlAs<CTabLayoutUI>(L"TabOfMain");
    return m_optAll && m_optExpired && m_optOffline && m_optSearch && m_search && m_tabOfDevice && m_tabShown &&
           m_progress && m_tiles && m_selector && m_groupList && m_refresh && m_addGroup && m_batch && m_selectAll &&
           m_batchBar && m_allDisplay && m_menuDevice && m_tabOfMain && paint.FindControl(L"TreeViewOfDevice") &&
           paint.FindControl(L"TreeRootNodeOfDevice");
}

std::vector<DeviceRecord>& DevicePage::Devices()
{
    return m_shell.Client().devices.devices;
}

bool DevicePage::ValidDevice(int device) const
{
    if (!m_shell.ClientRef())
        return false;
    const auto& devices = m_shell.Client().devices.devices;
    return device >= 0 && static_cast<std::size_t>(device) < devices.size();
}

bool DevicePage::IsBatchMode() const
{
    return m_batch && m_batch->IsSelected();
}

// ---------------------------------------------------------------- notifications

bool DevicePage::OnNotify(TNotifyUI& notification)
{
    CControlUI* sender = notification.pSender;
    if (!sender)
        return false;
    const std::wstring& name = sender->GetName();
    const std::wstring& type = notification.sType;
    if (type == DUI_MSGTYPE_CLICK)
        return OnClick(sender, name);
    if (type == DUI_MSGTYPE_SELECTCHANGED)
        return OnSelectChanged(sender, name);
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
    if (type == DUI_MSGTYPE_SETFOCUS && name == L"EditOfGroupName") {
        sender->SetText(L"");
        return true;
    }
    if (type == DUI_MSGTYPE_KILLFOCUS && name == L"EditOfGroupName") {
        RenameGroup(TagOf(sender));
        return true;
    }
    if (type == DUI_MSGTYPE_RETURN && name == L"EditOfDeviceName") {
        // Enter ends the edit as leaving the field does: the name is saved.
        m_paint->SetFocus(nullptr);
        return true;
    }
    if (type == DUI_MSGTYPE_KILLFOCUS && name == L"EditOfDeviceName") {
        OnDeviceNameEdited(TagOf(sender), dynamic_cast<CEditUI*>(sender));
        return true;
    }
    if (type == DUI_MSGTYPE_TIMER && name == L"BtnOfScreenshot") {
        OnScreenshotTimer(sender);
        return true;
    }
    return false;
}

bool DevicePage::OnClick(CControlUI* sender, const std::wstring& name)
{
    if (name == L"BtnOfRefreshDeviceList") {
        StartDeviceListLoad();
    } else if (name == L"BtnOfEditDeviceGroup") {
        m_selector->SetVisible(false);
        BuildGroupManagementList();
        m_tabOfDevice->SelectItem(kGroupEditorPage);
    } else if (name == L"BtnOfDeviceTab" || name == L"BtnOfModifyAllGroup" || name == L"BtnOfCancelModifyGroup") {
        // Every edit is saved as it is made, so the editor's buttons only
        // lead back to the list.
        BuildGroupSelector();
        m_tabOfDevice->SelectItem(kDeviceListPage);
    } else if (name == L"BtnOfAddGroup") {
        AddGroup();
    } else if (name == L"BtnOfDelGroup") {
        DeleteGroup(TagOf(sender));
    } else if (name == L"BtnOfMoveUp") {
        MoveGroupUp(TagOf(sender));
    } else if (name == L"BtnOfMoveDown") {
        MoveGroupDown(TagOf(sender));
    } else if (name == L"BtnOfChangeGroup") {
        ShowGroupMenu(TagOf(sender));
    } else if (name == L"BtnOfMove") {
        ShowGroupMenu(-1);
    } else if (name == L"CBoxOfModifyDeviceName") {
        OnRenameDeviceClick(TagOf(sender), sender);
    } else if (name == L"BtnOfScreenshot") {
        OnScreenshotClick(TagOf(sender));
    } else if (name == L"CBoxOfDevicd") {
        // "click" comes before the box toggles: the device takes the state
        // the box is about to show.
        const int device = TagOf(sender);
        if (auto* box = dynamic_cast<CCheckBoxUI*>(sender); box && ValidDevice(device))
            SetDeviceSelected(m_shell.Client().devices, static_cast<std::size_t>(device), !box->IsSelected());
    } else if (name == L"BtnOfDeviceTimeLeft") {
        const int device = TagOf(sender);
        if (!ValidDevice(device))
            return true;
        SelectOnlyDevice(m_shell.Client().devices, static_cast<std::size_t>(device));
        OpenRenewal();
    } else if (name == L"BtnOfChargeInBat") {
        ChargeSelected();
    } else if (name == L"BtnOfAddNew") {
        m_shell.Commerce().ShowGoods(Goods::Devices);
    } else if (name == L"BtnOfDeviceInstall") {
        const int device = TagOf(sender);
        if (!ValidDevice(device))
            return true;
        SelectOnlyDevice(m_shell.Client().devices, static_cast<std::size_t>(device));
        OpenInstall();
    } else if (name == L"BtnOfInstall") {
        OpenInstall();
    } else {
        // The device control's buttons (players, reboot, reset, uploads).
        return false;
    }
    return true;
}

bool DevicePage::OnSelectChanged(CControlUI* sender, const std::wstring& name)
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
    (void)name;
    return false;
}

// ---------------------------------------------------------------- messages

bool DevicePage::OnMessage(UINT id, WPARAM wParam, LPARAM lParam)
{
    if (id != msg::UM_DEVICES)
        return false;
    switch (wParam) {
    case msg::kDevicesProgress:
    case msg::kDevicesRead:
    case msg::kDevicesFailed:
    case msg::kScreenshotUpdated:
    case msg::kScreenshotFailed:
    case msg::kGroupsLoaded:
    case msg::kGroupsSaved:
        OnDevicesMessage(wParam, lParam);
        return true;
    default:
        return false;
    }
}

void DevicePage::OnDevicesMessage(WPARAM code, LPARAM lParam)
{
    DeviceMembers& members = m_shell.Client().devices;
    switch (code) {
    case msg::kDevicesProgress:
        m_progress->SetValue(std::clamp(static_cast<int>(lParam), 0, 100));
        ShowFirstPage();
        break;
    case msg::kDevicesRead:
    case msg::kDevicesFailed: {
        {
            // A thousand old records are freed after the new ones are on
            // screen, not before.
            auto previous = std::make_shared<std::vector<DeviceRecord>>(AdoptLoadedDevices(members));
            RunOnUiThreadLater([previous] {}, 100);
        }
        m_loading = false;
        const bool firstPageShown = m_firstPageShown;
        m_firstPageShown = false;
        ++m_finishedLoads;
        m_refresh->SetEnabled(true);
        // A load that ran into the sign-out (its session ended under it, or
        // the user was signed out by the time it reported) says nothing: the
        // sign-out has its own page and its own wait.
        // A load stopped without a text was cancelled: the sign-out under
        // way aborted its transfers.
        const bool overtaken =
            m_discardLoad ||
            (code == msg::kDevicesFailed && MessageText(lParam).empty()) ||
            (code == msg::kDevicesFailed && MessageText(lParam) == kSessionExpiredText &&
             m_shell.Client().user.loginState != kLoginStateLoggedIn);
        // With the first page on screen the wait ended then; whatever waits
        // now is another action's.
        if (!overtaken && !firstPageShown)
            m_shell.EndWait();
        if (m_discardLoad) {
            m_discardLoad = false;
            std::lock_guard lock(members.listMutex);
            members.devices.clear();
        }
        if (m_loadAgain) {
            // A load was asked for while this one ran (a new sign-in).
            m_loadAgain = false;
            BeginDeviceListLoad();
            break;
        }
        if (m_signedOut || overtaken)
            break;
        if (code == msg::kDevicesRead && firstPageShown) {
            // The user may have chosen another view meanwhile: it stays,
            // now over the whole list.
            RefreshCurrentView();
        } else if (code == msg::kDevicesRead) {
            m_tabOfDevice->SelectItem(kDeviceListPage);
            m_tabShown->SelectItem(kTilesPage);
            BuildGroupSelector();
        } else {
            // Records read before the failure stay; the page keeps showing
            // the progress view until the next view change.
            m_shell.GenericFailure(MessageText(lParam));
        }
        break;
    }
    case msg::kScreenshotUpdated:
    case msg::kScreenshotFailed:
        OnScreenshotResult(static_cast<int>(lParam), code == msg::kScreenshotUpdated);
        break;
    case msg::kGroupsLoaded:
        if (m_signedOut) {
            // The user signed out while the groups came: nothing to load.
            members.loadedGroups.clear();
            break;
        }
        members.groups = std::move(members.loadedGroups);
        members.loadedGroups.clear();
        m_currentGroupIndex = ClampGroupIndex(m_currentGroupIndex, members.groups.size());
        BeginDeviceListLoad();
        break;
    case msg::kGroupsSaved:
        m_addGroup->SetEnabled(true);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- loads

void DevicePage::StartGroupLoad()
{
    m_signedOut = false;
    m_shell.Client().devices.boxOwner = m_shell.Owner();
    m_groupTask = m_shell.Start(LoadGroups);
}

void DevicePage::StartDeviceListLoad()
{
    // A refresh asked for while a load runs is merged into it.
    if (m_loading)
        return;
    // The players go (their devices' tiles are rebuilt); the synchronised
    // control program stays.
    m_shell.Control().ClosePlayers();
    // The refresh starts a new generation of catalogue rows as well.
    m_shell.Client().RefreshStamp = static_cast<std::int64_t>(std::time(nullptr));
    BeginDeviceListLoad();
}

void DevicePage::BeginDeviceListLoad()
{
    // Device-list loads never overlap: one asked for while one runs (a new
    // sign-in) waits and runs once after it.
    if (m_loading) {
        m_loadAgain = true;
        return;
    }
    m_tabShown->SelectItem(kProgressPage);
    m_progress->SetValue(0);
    m_shell.BeginWait();
    m_refresh->SetEnabled(false);
    m_loading = true;
    m_firstPageShown = false;
    {
        DeviceMembers& members = m_shell.Client().devices;
        std::lock_guard lock(members.listMutex);
        members.firstPage.clear();
        members.firstPageReady = false;
        members.firstPageShown = 0;
    }
    m_loadTask = m_shell.Start(LoadDeviceList);
    // The old tiles go while the first page is on its way: the load writes
    // only its own list, never the tiles or the shown records.
    RemoveTiles();
    if (!m_loadTask) {
        // No thread: the shell has ended the wait already.
        m_loading = false;
        m_refresh->SetEnabled(true);
    }
}

void DevicePage::ShowFirstPage()
{
    if (!m_loading || m_firstPageShown || m_signedOut || m_discardLoad || !m_shell.ClientRef())
        return;
    auto previous = std::make_shared<std::vector<DeviceRecord>>();
    if (!AdoptFirstPage(m_shell.Client().devices, *previous))
        return;
    // The old records go once the new tiles are on screen.
    RunOnUiThreadLater([previous] {}, 100);
    // The window is the user's again: the other pages come meanwhile, and
    // their records are appended when the load ends.
    m_firstPageShown = true;
    m_shell.EndWait();
    m_tabOfDevice->SelectItem(kDeviceListPage);
    m_tabShown->SelectItem(kTilesPage);
    BuildGroupSelector();
}

void DevicePage::OnSignedIn()
{
    StartGroupLoad();
}

void DevicePage::OnSigningOut()
{
    m_signedOut = true;
    if (m_loading)
        m_discardLoad = true;
    m_loadAgain = false;
    // The session's token has stopped the loads; they end (messages keep
    // coming meanwhile) before the window deletes the cookie file, so none
    // writes the session cookie back into it.
    for (TaskHandle* task : {&m_groupTask, &m_loadTask}) {
        if (*task)
            task->Wait(kSignOutTaskWait);
        task->Drop();
    }
}

void DevicePage::OnSignedOut()
{
    DeviceMembers& members = m_shell.Client().devices;
    RemoveTiles();
    {
        std::lock_guard lock(members.listMutex);
        members.devices.clear();
    }
    members.groups.clear();
    m_selector->RemoveAll();
    m_groupList->RemoveAll();
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

// ---------------------------------------------------------------- views

void DevicePage::RefreshDeviceView()
{
    // Other pages (the install column, the main menu's page switch) redraw
    // the device view; only the selector's own occasions bring it forward.
    FillGroupSelector(false);
}

void DevicePage::RemoveTiles()
{
    // Removing a tile also ends its screenshot animation timer.
    m_tiles->RemoveAll();
    if (!m_shell.ClientRef())
        return;
    for (DeviceRecord& d : Devices())
        d.tile_index = -1;
}

void DevicePage::ShowTiles(const std::vector<int>& shown)
{
    RemoveTiles();
    // Tiles are placeholders until they first come into view (a thousand
    // whole tiles take longer than loading the list). One element made now
    // tells whether the skin has it at all: without it no device has a tile.
    if (!shown.empty() && BuildElement(L"DeviceElement.xml", m_paint)) {
        for (int device : shown)
            BuildDeviceTile(device, m_tiles->GetCount());
    }
    m_tabShown->SelectItem(m_tiles->GetCount() > 0 ? kTilesPage : kNoDevicesPage);
}

void DevicePage::BuildDeviceTile(int device, int position)
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

void DevicePage::ShowGroupDevices(int groupIndex)
{
    if (!ViewsOpen() || !m_shell.ClientRef())
        return;
    const DeviceMembers& members = m_shell.Client().devices;
    const int g = ClampGroupIndex(groupIndex, members.groups.size());
    m_optAll->SetText(g < 1 ? std::wstring(kMyDevicesText) : AnsiToWide(members.groups[static_cast<std::size_t>(g - 1)].name));
    const GroupView view = GroupViewDevices(members.devices, members.groups, g);
    ShowTiles(view.shown);
    m_optOffline->SetForeImage(view.anyOffline ? m_optOffline->GetDisabledImage() : std::wstring());
    m_optExpired->SetForeImage(view.anyExpired ? m_optExpired->GetDisabledImage() : std::wstring());
}

void DevicePage::ShowExpiredDevices()
{
    if (!ViewsOpen() || !m_shell.ClientRef())
        return;
    ShowTiles(::ExpiredDevices(Devices()));
}

void DevicePage::ShowOfflineDevices()
{
    if (!ViewsOpen() || !m_shell.ClientRef())
        return;
    ShowTiles(::OfflineDevices(Devices()));
}

void DevicePage::SearchDevices(const std::wstring& text)
{
    if (!ViewsOpen() || !m_shell.ClientRef())
        return;
    ShowTiles(::SearchDevices(Devices(), text));
}

void DevicePage::RefreshCurrentView()
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

void DevicePage::BuildGroupSelector()
{
    FillGroupSelector(true);
}

void DevicePage::FillGroupSelector(bool toFront)
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

void DevicePage::OnGroupSelected(int index)
{
    if (!m_shell.ClientRef())
        return;
    m_currentGroupIndex = ClampGroupIndex(index, m_shell.Client().devices.groups.size());
    if (m_optAll->IsSelected())
        ShowGroupDevices(m_currentGroupIndex);
    else
        m_optAll->Selected(true);  // its "selectchanged" shows the group
}

CControlUI* DevicePage::TileOf(int device) const
{
    if (!ValidDevice(device))
        return nullptr;
    const int position = m_shell.Client().devices.devices[static_cast<std::size_t>(device)].tile_index;
    if (position < 0 || position >= m_tiles->GetCount())
        return nullptr;
    CControlUI* tile = m_tiles->GetItemAt(position);
    return tile && DeviceIndexOfTile(*tile) == device ? tile : nullptr;
}

// ---------------------------------------------------------------- batch mode

void DevicePage::ApplyBatchMode()
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

void DevicePage::SelectAllShown(bool selected)
{
    for (int i = 0; i < m_tiles->GetCount(); ++i) {
        CControlUI* tile = m_tiles->GetItemAt(i);
        const int device = tile ? DeviceIndexOfTile(*tile) : -1;
        if (!ValidDevice(device))
            continue;
        SetDeviceSelected(m_shell.Client().devices, static_cast<std::size_t>(device), selected);
        if (!IsTileMade(*tile))
            continue;  // made from the record later
        if (auto* box = tile->FindSubControlAs<CCheckBoxUI>(L"CBoxOfDevicd"))
            box->SetCheck(selected, false);
    }
}

// ---------------------------------------------------------------- screenshots

void DevicePage::OnScreenshotClick(int device)
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

void DevicePage::OnScreenshotTimer(CControlUI* button)
{
    const int frame = (FrameOf(button->GetDisabledImage()) + 1) % kScreenshotFrames;
    button->SetDisabledImage(L"file='img\\sinchronize\\sinchronize_25_white_" + IntToWide(frame) +
                             L".png' dest='0,0,25,25'");
}

void DevicePage::OnScreenshotResult(int device, bool ok)
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

void DevicePage::ReloadTileImage(int device)
{
    if (CControlUI* tile = TileOf(device))
        ShowTileScreenshot(*tile, Devices()[static_cast<std::size_t>(device)]);
}

// ---------------------------------------------------------------- hand-overs

void DevicePage::OpenRenewal()
{
    m_shell.Commerce().ShowGoods(Goods::Renewal);
}

void DevicePage::ChargeSelected()
{
    std::wstring plan;
    for (const DeviceRecord& d : Devices()) {
        if (!d.selected || d.bind_plan_type.empty())
            continue;
        if (plan.empty()) {
            plan = d.bind_plan_type;
        } else if (d.bind_plan_type != plan) {
            ShowError(m_shell, L"批量续费的必须为同类型设备！");
            return;
        }
    }
    OpenRenewal();
}

void DevicePage::OpenInstall()
{
    m_shell.Market().ShowInstall();
}

void DevicePage::StartOwned(void (*routine)(ClientManager&, std::wstring&), std::wstring params)
{
    m_shell.Client().devices.boxOwner = m_shell.Owner();
    m_shell.StartWith(routine, std::move(params)).Drop();
}
