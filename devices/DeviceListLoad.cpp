#include "devices/DeviceListLoad.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "app/ClientManager.h"
#include "app/MessageText.h"
#include "app/Messages.h"
#include "app/Page.h"
#include "app/Shell.h"
#include "devices/DeviceGroups.h"
#include "devices/DeviceList.h"
#include "devices/DeviceTileView.h"
#include "net/ResponseEnvelope.h"
#include "platform/UiThreadCall.h"
#include "ui/UIManager.h"
#include "ui/UIProgress.h"

using namespace DuiLib;

DeviceListLoad::DeviceListLoad(IShell& shell, DeviceTileView& view)
    : m_shell(shell)
    , m_view(view)
{
}

bool DeviceListLoad::Bind(CPaintManagerUI& paint)
{
    m_progress = paint.FindControlAs<CProgressUI>(L"ProOfUpdata");
    m_refresh = paint.FindControl(L"BtnOfRefreshDeviceList");
    return m_progress && m_refresh;
}

void DeviceListLoad::StartGroupLoad()
{
    m_signedOut = false;
    m_shell.Client().devices.boxOwner = m_shell.Owner();
    m_groupSession = SessionCancelToken();
    m_groupTask = m_shell.Start(LoadGroups);
}

void DeviceListLoad::Start()
{
    // Device-list loads never overlap: one asked for while one runs (a new
    // sign-in) waits and runs once after it.
    if (m_loading) {
        m_loadAgain = true;
        return;
    }
    m_view.ShowProgress();
    m_progress->SetValue(0);
    m_shell.BeginWait();
    m_refresh->SetEnabled(false);
    m_loading = true;
    m_firstPageShown = false;
    m_view.SetViewsOpen(false);
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
    m_view.RemoveTiles();
    if (!m_loadTask) {
        // No thread: the shell has ended the wait already.
        m_loading = false;
        m_view.SetViewsOpen(true);
        m_refresh->SetEnabled(true);
    }
}

void DeviceListLoad::OnMessage(WPARAM code, LPARAM lParam)
{
    DeviceMembers& members = m_shell.Client().devices;
    switch (code) {
    case msg::kDevicesProgress:
        m_progress->SetValue(std::clamp(static_cast<int>(lParam), 0, 100));
        ShowFirstPage();
        break;
    case msg::kDevicesRead:
    case msg::kDevicesFailed:
        OnLoadEnded(code, lParam);
        break;
    case msg::kGroupsLoaded:
        if (m_signedOut || m_groupSession.IsCancelled()) {
            // The user signed out while the groups came: nothing to load.
            members.loadedGroups.clear();
            break;
        }
        members.groups = std::move(members.loadedGroups);
        members.loadedGroups.clear();
        m_view.FitGroupIndex();
        Start();
        break;
    default:
        break;
    }
}

void DeviceListLoad::ShowFirstPage()
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
    m_view.SetViewsOpen(true);
    m_shell.EndWait();
    m_view.ShowList();
}

void DeviceListLoad::OnLoadEnded(WPARAM code, LPARAM lParam)
{
    DeviceMembers& members = m_shell.Client().devices;
    bool appended = false;
    {
        // A thousand old records are freed after the new ones are on
        // screen, not before.
        auto previous = std::make_shared<std::vector<DeviceRecord>>(AdoptLoadedDevices(members, &appended));
        RunOnUiThreadLater([previous] {}, 100);
    }
    m_loading = false;
    const bool firstPageShown = m_firstPageShown;
    m_firstPageShown = false;
    m_view.SetViewsOpen(true);
    ++m_finishedLoads;
    m_refresh->SetEnabled(true);
    // A load that ran into the sign-out (its session ended under it, or
    // the user was signed out by the time it reported) says nothing: the
    // sign-out has its own page and its own wait.
    // A load stopped without a text was cancelled: the sign-out under
    // way aborted its transfers.
    const bool overtaken = m_discardLoad || (code == msg::kDevicesFailed && MessageText(lParam).empty())
        || (code == msg::kDevicesFailed && MessageText(lParam) == kSessionExpiredText
            && m_shell.Client().user.loginState != kLoginStateLoggedIn);
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
        Start();
        return;
    }
    if (m_signedOut || overtaken)
        return;
    if (code == msg::kDevicesRead && firstPageShown) {
        // The user may have chosen another view meanwhile: it stays,
        // now over the whole list. The first page's records are the same
        // ones when the rest was appended, so are their tiles.
        if (appended)
            m_view.ExtendCurrentView();
        else
            m_view.RefreshCurrentView();
    } else if (code == msg::kDevicesRead) {
        m_view.ShowList();
    } else {
        // Records read before the failure stay; the page keeps showing
        // the progress view until the next view change.
        m_shell.GenericFailure(MessageText(lParam));
    }
}

void DeviceListLoad::OnSigningOut()
{
    m_signedOut = true;
    if (m_loading)
        m_discardLoad = true;
    m_loadAgain = false;
    // The session's token has stopped the loads; they end (messages keep
    // coming meanwhile) before the window deletes the cookie file, so none
    // writes the session cookie back into it.
    for (TaskHandle* task : { &m_groupTask, &m_loadTask }) {
        if (*task)
            task->Wait(kSignOutTaskWait);
        task->Drop();
    }
}
