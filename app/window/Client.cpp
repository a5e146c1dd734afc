#include "app/window/Client.h"

#include <memory>

#include "app/LocalPaths.h"
#include "app/Startup.h"
#include "app/window/CMainWnd.h"
#include "net/ClusterCurl.h"
#include "platform/DebugLog.h"
#include "platform/InstanceActivation.h"
#include "platform/SecretStore.h"
#include "platform/SharedSection.h"
#include "skin/SkinPackage.h"
#include "ui/UIManager.h"

namespace {

// The window's style and extended style as the window system knew them:
// visible, overlapped, and a client edge accepting files. Kept for the
// record; the engine draws its own frame.
constexpr std::uint32_t kMainWindowStyle = 0x10CF0000;
constexpr std::uint32_t kMainWindowExStyle = 0x210;

} // namespace

void RegisterEmbeddedSkin()
{
    const korvana::SkinPackage skin = korvana::EmbeddedSkinPackage();
    DuiLib::CPaintManagerUI::RegisterZipResource(CMainWnd::kSkinResourceId, skin.data, skin.size);
    DuiLib::CPaintManagerUI::UseZipResource(CMainWnd::kSkinResourceId);
}

void UseCookieFile(const LocalPaths& paths)
{
    ClusterCurl::setLocalCookieFilePath(paths.cookieFile.narrow);
    ClusterCurl::setCookieJarPath(paths.cookieFile.narrow);
}

int RunMainWindow(const std::function<void(CMainWnd&)>& created)
{
    RegisterEmbeddedSkin();
    auto window = std::make_unique<CMainWnd>();
    if (!window->Create(nullptr, L"Korvana云手机", kMainWindowStyle, kMainWindowExStyle))
        return 1;
    if (created)
        created(*window);
    // A second copy started meanwhile brings this window to the front (also
    // out of the tray).
    CMainWnd* shown = window.get();
    auto activation = std::make_unique<ActivationListener>(kInstanceLockName, [shown] {
        DebugLogA("a second copy was started: the window comes to the front\n");
        shown->ShowWindow(true);
    });
    window->CenterWindow();
    window->ShowModal();
    activation.reset();
    window->ReleaseClient();
    window.reset();
    return 0;
}

int RunClient(const std::function<void(CMainWnd&)>& created)
{
    // The remembered password goes to the desktop's Secret Service when
    // there is one.
    EnableSecretStore(true);
    if (!RunStartupSteps())
        return 0;
    UseCookieFile(GetLocalPaths());
    const int code = RunMainWindow(created);
    // The synchronised-control list holds the play session: it does not
    // outlive the client.
    RemoveSyncSection();
    return code;
}
