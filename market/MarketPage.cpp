#include "market/MarketPage.h"

#include <chrono>
#include <ctime>

#include "app/ClientManager.h"
#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/PageBox.h"
#include "app/Shell.h"
#include "app/actions/DeviceActions.h"
#include "devices/DeviceList.h"
#include "market/AppInstall.h"
#include "market/AppQueries.h"
#include "market/AppViews.h"
#include "market/CatalogueSync.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/Utf8.h"
#include "ui/UICheckBox.h"
#include "ui/UIEdit.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIOption.h"
#include "ui/UIProgress.h"
#include "ui/UITabLayout.h"
#include "ui/UITileLayout.h"

using namespace DuiLib;

namespace {

constexpr unsigned kSpinnerPeriodMs = 30;
constexpr int kSpinnerFrames = 18;

std::wstring SpinnerFrame(int frame)
{
    return L"file='img\\sinchronize\\sinchronize_30_white_" + std::to_wstring(frame)
        + L".png' dest='0,0,30,30'";
}

// The frame number between the last "_" and the last "." of the image text.
int CurrentSpinnerFrame(const std::wstring& image)
{
    const std::size_t dot = image.rfind(L'.');
    const std::size_t underscore = image.rfind(L'_', dot);
    if (dot == std::wstring::npos || underscore == std::wstring::npos || underscore + 1 >= dot)
        return 0;
    int frame = 0;
    for (std::size_t i = underscore + 1; i < dot; ++i) {
        if (image[i] < L'0' || image[i] > L'9')
            return 0;
        frame = frame * 10 + (image[i] - L'0');
        if (frame > 1000)
            return 0;
    }
    return frame;
}

std::int32_t TagOf(const CControlUI* control)
{
    return static_cast<std::int32_t>(static_cast<std::intptr_t>(control->GetTag()));
}

} // namespace

MarketPage::MarketPage(IShell& shell)
    : m_shell(shell)
{
}

std::vector<UINT> MarketPage::Messages() const
{
    return { msg::UM_APPS, msg::UM_APP_INSTALL, msg::UM_APP_UPLOAD, msg::UM_LOCAL_APPS };
}

bool MarketPage::Bind(CPaintManagerUI& paint)
{
    m_tabOfAppList = paint.FindControlAs<CTabLayoutUI>(L"TabOfAppList");
    m_tileOfGame = paint.FindControlAs<CTileLayoutUI>(L"TileOfGame");
    m_tileOfLetterTag = paint.FindControlAs<CTileLayoutUI>(L"TileOfLetterTag");
    m_tabOfSubTypeAppList = paint.FindControlAs<CTabLayoutUI>(L"TabOfSubTypeAppList");
    m_listOfGameTile = paint.FindControlAs<CListUI>(L"ListOfGameTile");
    m_search = paint.FindControl(L"EditOfAppSearch");
    m_refresh = paint.FindControl(L"BtnOfAppRefresh");
    m_deleteOwnApps = paint.FindControl(L"BtnOfDelLocalApp");
    m_refreshProgress = paint.FindControlAs<CProgressUI>(L"ProOfAppRefresh");
    m_uploadProgress = paint.FindControlAs<CProgressUI>(L"ProOfUploadLocalApp");
    m_selectedDevices = paint.FindControlAs<CListUI>(L"ListOfSelectedDevice");
    m_selectedApps = paint.FindControlAs<CListUI>(L"ListOfSelectedApp");
    m_optOfHot = paint.FindControlAs<COptionUI>(L"OptOfHot");
    m_optOfSearch = paint.FindControlAs<COptionUI>(L"OptOfSearch");
    m_menuEntry = paint.FindControlAs<COptionUI>(L"OptOfAppTab");
    return m_menuEntry && m_tabOfAppList && m_tileOfGame && m_tileOfLetterTag && m_tabOfSubTypeAppList
        && m_listOfGameTile && m_search && m_refresh && m_deleteOwnApps && m_refreshProgress
        && m_uploadProgress && m_selectedDevices && m_selectedApps && m_optOfHot && m_optOfSearch
        && paint.FindControl(L"OptOfApp") && paint.FindControl(L"OptOfGame")
        && paint.FindControl(L"OptOfLocal") && paint.FindControl(L"BtnOfConfirmInstall")
        && paint.FindControl(L"BtnOfUploadLocalApp");
}

bool MarketPage::OnNotify(TNotifyUI& notification)
{
    CControlUI* sender = notification.pSender;
    if (!sender)
        return false;
    const std::wstring& name = sender->GetName();
    const std::wstring& type = notification.sType;
    if (type == DUI_MSGTYPE_SELECTCHANGED)
        return OnSelectChanged(sender, name);
    if (type == DUI_MSGTYPE_TEXTCHANGED) {
        m_deleteOwnApps->SetVisible(false);
        if (sender == m_search)
            OnSearchTextChanged();
        return true;
    }
    if (type == DUI_MSGTYPE_CLICK)
        return OnClick(sender, name);
    if (type == DUI_MSGTYPE_TIMER && sender == m_refresh
        && notification.wParam == static_cast<WPARAM>(msg::kTimerCatalogueSpinner)) {
        AdvanceSpinner();
        return true;
    }
    if (type == DUI_MSGTYPE_MOUSEENTER || type == DUI_MSGTYPE_MOUSELEAVE)
        return OnHover(sender, type == DUI_MSGTYPE_MOUSEENTER);
    return false;
}

bool MarketPage::OnSelectChanged(CControlUI* sender, const std::wstring& name)
{
    // A view chosen by its option is no longer the search: the box does not
    // keep a text the list does not follow.
    if (name == L"OptOfHot" || name == L"OptOfApp" || name == L"OptOfGame" || name == L"OptOfLocal")
        m_search->SetText(L"");
    if (name == L"OptOfHot") {
        ShowView(kViewHot, kIconPage, false);
        StartAppListLoad();
    } else if (name == L"OptOfApp") {
        ShowView(kViewApps, kCategoryPage, false);
        StartSubtypeLoad(kMainCategoryApps);
    } else if (name == L"OptOfGame") {
        ShowView(kViewGames, kCategoryPage, false);
        StartSubtypeLoad(kMainCategoryGames);
    } else if (name == L"OptOfLetterTag") {
        StartAppListLoad(TagOf(sender));
    } else if (name == L"OptOfLocal") {
        ShowView(kViewMyApps, kIconPage, true);
        StartAppListLoad();
    } else {
        return false;
    }
    return true;
}

void MarketPage::ShowView(int mode, int tabPage, bool deleteButton)
{
    m_deleteOwnApps->SetVisible(deleteButton);
    m_tabOfAppList->SelectItem(tabPage);
    m_viewMode = mode;
}

void MarketPage::OnSearchTextChanged()
{
    m_tabOfAppList->SelectItem(kIconPage);
    // No visible view option stays selected while a search is shown.
    m_optOfSearch->Selected(true, false);
    m_viewMode = kViewSearch;
    StartAppListLoad();
    m_search->SetFocus();
}

bool MarketPage::OnClick(CControlUI* sender, const std::wstring& name)
{
    if (name == L"CBoxOfGame") {
        // The box changes its state after this notification.
        if (auto* box = dynamic_cast<CCheckBoxUI*>(sender))
            ToggleAppSelection(TagOf(box), !box->IsSelected());
    } else if (name == L"BtnOfAppRefresh") {
        m_shell.Client().RefreshStamp = static_cast<std::int64_t>(std::time(nullptr));
        StartCatalogueSync();
    } else if (name == L"BtnOfDelInstallListAppElement") {
        m_shell.BeginWait();
        m_shell.Start(UnselectApp, AppIdArgument(TagOf(sender))).Drop();
    } else if (name == L"BtnOfDelAllInstallListAppElement") {
        m_shell.BeginWait();
        m_shell.Start(UnselectApp, AppIdArgument(kAllApps)).Drop();
    } else if (name == L"BtnOfDelInstallListDeviceElement") {
        ClearDeviceSelection(static_cast<int>(sender->GetTag()));
    } else if (name == L"BtnOfDelAllInstallListDeviceElement") {
        ClearDeviceSelection(-1);
    } else if (name == L"BtnOfConfirmInstall") {
        ConfirmInstall();
    } else if (name == L"BtnOfUploadLocalApp") {
        StartLocalAppUpload();
    } else if (name == L"BtnOfDelLocalApp") {
        DeleteTickedApps();
    } else if (name == L"BtnOfDeviceTab") {
        if (auto* device = m_shell.Paint().FindControlAs<COptionUI>(L"OptOfDevice"))
            device->Selected(true);
    } else if (name == L"BtnOfChooseDevices") {
        // The device list in batch mode, where devices are ticked and
        // 安装应用 brings them back here.
        if (auto* device = m_shell.Paint().FindControlAs<COptionUI>(L"OptOfDevice"))
            device->Selected(true);
        if (auto* batch = m_shell.Paint().FindControlAs<CCheckBoxUI>(L"CBoxOfBatOpt");
            batch && !batch->IsSelected())
            batch->Selected(true);
    } else {
        return false;
    }
    return true;
}

bool MarketPage::OnHover(CControlUI* sender, bool entered)
{
    // The mouse is over the element's buttons more often than over the
    // element itself: their hover counts as the element's.
    for (CControlUI* control = sender; control; control = control->GetParent()) {
        const std::wstring& name = control->GetName();
        const wchar_t* button = name == L"ListElementOfInstallListElement"
            ? L"BtnOfDelInstallListDeviceElement"
            : name == L"ListElementOfInstallListAppElement" ? L"BtnOfDelInstallListAppElement"
                                                            : nullptr;
        if (!button)
            continue;
        if (CControlUI* remove = control->FindSubControl(button))
            remove->SetVisible(entered);
        return true;
    }
    return false;
}

bool MarketPage::OnMessage(UINT id, WPARAM wParam, LPARAM lParam)
{
    switch (id) {
    case msg::UM_APPS:
        OnAppsMessage(wParam, lParam);
        return true;
    case msg::UM_LOCAL_APPS:
        m_shell.EndWait();
        BuildInstallLists();
        return true;
    case msg::UM_APP_INSTALL:
        OnInstallMessage(wParam, lParam);
        return true;
    case msg::UM_APP_UPLOAD:
        OnUploadMessage(wParam, lParam);
        return true;
    default:
        return false;
    }
}

void MarketPage::OnAppsMessage(WPARAM code, LPARAM lParam)
{
    CatalogueMembers& catalogue = m_shell.Client().catalogue;
    const bool iconView = m_viewMode == kViewMyApps || m_viewMode == kViewHot || m_viewMode == kViewSearch;
    const bool categoryView = m_viewMode == kViewApps || m_viewMode == kViewGames;
    if (code == msg::kCatalogueSynced) {
        m_refresh->KillTimer(msg::kTimerCatalogueSpinner);
        m_refresh->SetEnabled(true);
        m_shell.Start(RerunLastAppQuery).Drop();
    } else if (code == msg::kAppListReady) {
        m_refreshProgress->SetValue(0);
        std::lock_guard lock(catalogue.lock);
        if (iconView) {
            m_tabOfAppList->SelectItem(kIconPage);
            BuildAppIcons(*m_tileOfGame, catalogue.AppList);
            if (m_viewMode == kViewSearch)
                m_search->SetFocus();
        } else if (categoryView) {
            m_tabOfSubTypeAppList->SelectItem(kGroupsPage);
            BuildTypeTiles(*m_listOfGameTile, catalogue.AppList);
        }
    } else if (code == msg::kSubtypesReady) {
        CControlUI* hot = nullptr;
        {
            std::lock_guard lock(catalogue.lock);
            hot = ::BuildSubtypeTags(*m_tileOfLetterTag, static_cast<int>(lParam), catalogue.Subtypes);
        }
        // Its "selectchanged" loads the main category's list.
        if (auto* option = dynamic_cast<COptionUI*>(hot))
            option->Selected(true);
    } else if (code == msg::kAppListEmpty) {
        if (iconView) {
            m_tabOfAppList->SelectItem(kNothingFoundPage);
            if (m_viewMode == kViewSearch)
                m_search->SetFocus();
        } else if (categoryView) {
            m_tabOfSubTypeAppList->SelectItem(kNoGroupsPage);
        }
    }
}

void MarketPage::OnInstallMessage(WPARAM code, LPARAM lParam)
{
    m_shell.EndWait();
    if (code == msg::kInstallStarted) {
        ShowNotice(m_shell, L"正在安装应用，请耐心等候安装完成！");
        return;
    }
    m_shell.GenericFailure(MessageText(lParam));
}

void MarketPage::OnUploadMessage(WPARAM code, LPARAM lParam)
{
    if (code == msg::kAppUploadProgress) {
        m_uploadProgress->SetValue(static_cast<int>(lParam));
    } else if (code == msg::kAppUploadDone) {
        m_uploadProgress->SetValue(0);
        ShowNotice(m_shell, L"上传成功，请稍后刷新应用列表！");
    } else if (code == msg::kAppUploadFailed) {
        const std::wstring reason = MessageText(lParam);
        if (!reason.empty())
            ShowError(m_shell, reason);
        ShowError(m_shell, L"上传失败，请稍侯重试！");
    }
}

void MarketPage::OnSignedIn()
{
    StartCatalogueSync();
    SelectHotView();
}

void MarketPage::OnSigningOut()
{
    // The session's token has stopped the synchronisation; it ends before
    // the window deletes the cookie file.
    if (m_syncTask)
        m_syncTask.Wait(kSignOutTaskWait);
    m_syncTask.Drop();
}

void MarketPage::OnSignedOut()
{
    m_tileOfGame->RemoveAll();
    m_tileOfLetterTag->RemoveAll();
    m_listOfGameTile->RemoveAll();
    m_selectedDevices->RemoveAll();
    m_selectedApps->RemoveAll();
    // The next account's market starts empty: no search text of the one
    // before, and its view is chosen again after the next login.
    m_search->SetText(L"");
    // No view stays chosen, so the login's 热门 is a change and loads.
    m_optOfSearch->Selected(true, false);
    CatalogueMembers& catalogue = m_shell.Client().catalogue;
    std::lock_guard lock(catalogue.lock);
    catalogue.Subtypes.clear();
    catalogue.LastAppQuery = AppQuery {};
    catalogue.AppList.clear();
    catalogue.SelectedApps.clear();
    // Loads still running were the previous account's: their results are
    // dropped like those of any older load.
    catalogue.deliveredListLoad = ++catalogue.issuedListLoads;
    catalogue.deliveredSubtypeLoad = ++catalogue.issuedSubtypeLoads;
}

void MarketPage::StartCatalogueSync()
{
    ClientManager& client = m_shell.Client();
    // The button is disabled while one runs; a login must not start a second.
    if (client.catalogue.syncRunning || !m_refresh->IsEnabled())
        return;
    m_refresh->SetEnabled(false);
    m_refresh->SetTimer(msg::kTimerCatalogueSpinner, kSpinnerPeriodMs);
    m_syncTask = m_shell.Start(SyncCatalogue);
    if (!m_syncTask) {
        m_refresh->KillTimer(msg::kTimerCatalogueSpinner);
        m_refresh->SetEnabled(true);
    }
}

void MarketPage::AdvanceSpinner()
{
    const int frame = CurrentSpinnerFrame(m_refresh->GetDisabledImage());
    m_refresh->SetDisabledImage(SpinnerFrame((frame + 1) % kSpinnerFrames));
}

void MarketPage::SelectHotView()
{
    m_optOfHot->Selected(true);
}

void MarketPage::ShowInstall()
{
    // The entry's "selectchanged" shows the page and reloads its selection.
    m_menuEntry->Selected(true);
}

void MarketPage::ReloadSelectedApps()
{
    m_shell.Start(LoadSelectedApps).Drop();
}

void MarketPage::StartSubtypeLoad(int mainCategory)
{
    m_shell.StartWith(LoadSubtypes, IssueSubtypeLoad(m_shell.Client().catalogue, mainCategory)).Drop();
}

void MarketPage::StartAppListLoad(int category)
{
    ClientManager& client = m_shell.Client();
    AppQuery query;
    switch (m_viewMode) {
    case kViewMyApps:
        query = MyAppsQuery(client.user.userId);
        break;
    case kViewHot:
        query = HotAppsQuery();
        break;
    case kViewApps:
    case kViewGames:
        query = TypeAppsQuery(category);
        break;
    case kViewSearch:
        query = SearchAppsQuery(m_search->GetText());
        break;
    default:
        return;
    }
    m_shell.StartWith(RunAppQueryTask, IssueAppQuery(client.catalogue, std::move(query))).Drop();
}

void MarketPage::ToggleAppSelection(int appId, bool selected)
{
    m_shell.BeginWait();
    m_shell.Start(selected ? SelectApp : UnselectApp, AppIdArgument(appId)).Drop();
}

void MarketPage::BuildInstallLists()
{
    ClientManager& client = m_shell.Client();
    // A copy of the devices: the tool tips show the play address a play
    // task may be writing.
    const std::vector<DeviceRecord> devices = CopyOfDevices(client.devices);
    std::lock_guard lock(client.catalogue.lock);
    ::BuildInstallLists(*m_selectedDevices, *m_selectedApps, devices, client.catalogue.SelectedApps);
    // The way to the device choice is pointed out while none is chosen.
    if (CControlUI* hint = m_shell.Paint().FindControl(L"LabOfChooseDevicesHint"))
        hint->SetVisible(m_selectedDevices->GetCount() == 0);
}

void MarketPage::ClearDeviceSelection(int index)
{
    std::vector<DeviceRecord>& devices = m_shell.Client().devices.devices;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (index < 0 || static_cast<std::size_t>(index) == i)
            SetDeviceSelected(m_shell.Client().devices, i, false);
    }
    BuildInstallLists();
    m_shell.Devices().RefreshDeviceView();
}

void MarketPage::ConfirmInstall()
{
    if (m_selectedDevices->GetCount() == 0) {
        ShowNotice(m_shell, L"请至少选择一个设备进行安装！");
        return;
    }
    if (m_selectedApps->GetCount() == 0) {
        ShowNotice(m_shell, L"请至少选择一个应用进行安装！");
        return;
    }
    ClientManager& client = m_shell.Client();
    // Built here from the selections in memory, so the task reads nothing
    // the window may change meanwhile.
    InstallRequest request;
    {
        std::lock_guard lock(client.catalogue.lock);
        request.body = InstallBody(client.devices.devices, client.catalogue.SelectedApps);
    }
    m_shell.BeginWait();
    m_shell.StartWith(InstallSelectedApps, std::move(request)).Drop();
}

void MarketPage::StartLocalAppUpload()
{
    ClientManager& client = m_shell.Client();
    std::size_t listed = 0;
    {
        std::lock_guard lock(client.catalogue.lock);
        listed = client.catalogue.AppList.size();
    }
    if (listed >= static_cast<std::size_t>(kMaxOwnApps)) {
        ShowNotice(m_shell, L"应用市场最多上传30个应用！");
        return;
    }
    if (m_selectedDevices->GetCount() == 0) {
        ShowNotice(m_shell, L"请至少选择一个设备进行上传！");
        return;
    }
    const std::wstring path = ChooseFile(m_shell.Owner(), L"请选择上传文件");
    if (path.empty())
        return;
    AppUpload upload;
    upload.path = Utf8OfWide(path);
    upload.deviceIds = SelectedDeviceIds(client.devices.devices);
    m_shell.StartWith(UploadLocalApp, std::move(upload)).Drop();
}

void MarketPage::DeleteTickedApps()
{
    CatalogueMembers& catalogue = m_shell.Client().catalogue;
    AppDeletion deletion;
    {
        std::lock_guard lock(catalogue.lock);
        for (const AppRecord& app : catalogue.AppList) {
            if (app.selected)
                deletion.ids.push_back(app.id);
        }
    }
    // Nothing ticked: nothing to ask the service.
    if (deletion.ids.empty())
        return;
    deletion.userId = m_shell.Client().user.userId;
    m_shell.StartWith(DeleteLocalApps, std::move(deletion)).Drop();
}
