#pragma once

#include <functional>
#include <string>
#include <vector>

class CMainWnd;

namespace DuiLib {
class CUiDriver;
}

// What a scene works with: the real window, a driver that acts as a person
// would, and the demo user.
struct DemoContext {
    CMainWnd& window;
    DuiLib::CUiDriver& ui;
    std::wstring user;
    std::wstring password;
    std::string outDir; // where the pictures go

    // Waits (handling events) until cond holds; false after timeoutMs.
    bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 10000);
    // Waits until the window has left the wait state.
    bool WaitIdle(int timeoutMs = 10000);
    int MainWindowPage() const;
};

// One step of the demo: it brings the window to a state and, when it
// succeeds, the driver saves the window as <name>.png. Scenes run in order
// and build on each other (the main page needs the sign-in first).
struct DemoScene {
    std::string name;
    std::string description;
    std::function<bool(DemoContext&)> run;
};

// Every scene of the demo. A feature adds its pages here, after "main".
const std::vector<DemoScene>& DemoScenes();
