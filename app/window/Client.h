#pragma once

#include <functional>

class CMainWnd;
struct LocalPaths;

// The embedded skin package as the engine's resource 105 (the window loads
// MainWnd.xml from it).
void RegisterEmbeddedSkin();

// Every request keeps its cookies in the per-user cookie file.
void UseCookieFile(const LocalPaths& paths);

// The window part of the entry routine: the main window made with the skin,
// centred and run modally, then let go (its queue detached, the state
// released) before it is destroyed. `created` runs once the window exists
// (benchmarks and drivers watch it). Returns the exit code: 1 when the skin
// could not be loaded, else 0.
int RunMainWindow(const std::function<void(CMainWnd&)>& created = {});

// The whole entry routine once the application object exists: the start-up
// steps, then RunMainWindow. Returns the exit code.
int RunClient(const std::function<void(CMainWnd&)>& created = {});
