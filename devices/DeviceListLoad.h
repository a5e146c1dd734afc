#pragma once

#include "app/Task.h"
#include "net/CancelToken.h"
#include "platform/WindowMessage.h"

class DeviceTileView;
class IShell;

namespace DuiLib {
class CControlUI;
class CPaintManagerUI;
class CProgressUI;
} // namespace DuiLib

// The group and device-list loads of the device page: their progress, the
// hand-over of the first page and of the whole list to the tile view, and
// what a load does when a sign-out or another load request comes under it.
class DeviceListLoad {
public:
    DeviceListLoad(IShell& shell, DeviceTileView& view);

    bool Bind(DuiLib::CPaintManagerUI& paint);

    // The groups, then (when they came) the device list.
    void StartGroupLoad();
    // A device-list load; one asked for while one runs runs once after it.
    void Start();
    // UM_DEVICES 1135 (progress), 1136 / 1137 (the end) and 1140 (groups).
    void OnMessage(WPARAM code, LPARAM lParam);
    // Awaits the running loads (the session's token has stopped them); what
    // they report afterwards is dropped.
    void OnSigningOut();

    bool IsLoading() const { return m_loading; }
    bool IsShowingFirstPage() const { return m_loading && m_firstPageShown; }
    int FinishedLoads() const { return m_finishedLoads; }

private:
    void ShowFirstPage();
    void OnLoadEnded(WPARAM code, LPARAM lParam);

    IShell& m_shell;
    DeviceTileView& m_view;
    DuiLib::CProgressUI* m_progress = nullptr;
    DuiLib::CControlUI* m_refresh = nullptr;

    bool m_loading = false;
    // The first page of the running load is on screen (a list of several
    // pages): the views work on it while the rest comes.
    bool m_firstPageShown = false;
    // A sign-out came during the load: its records are dropped.
    bool m_discardLoad = false;
    // A load was asked for while one ran: it starts when that one ends.
    bool m_loadAgain = false;
    bool m_signedOut = false;
    int m_finishedLoads = 0;
    // The running group and device loads, awaited at sign-out.
    TaskHandle m_groupTask;
    TaskHandle m_loadTask;
    // The session the group load ran in: once a sign-out has cancelled it,
    // the groups' arrival starts no device load, even before this page's
    // own turn in the sign-out.
    CancelToken m_groupSession;
};
