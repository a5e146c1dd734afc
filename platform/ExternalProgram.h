#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// Starting the external programs of device control (the player, the
// synchronised-control program) and closing their windows.
//
// The command line names the program in its first word; the program is taken
// only from the folder of the client's own executable or, for an installed
// client, from its helper folder relative to that (<bin>/../libexec/korvana);
// a ".exe" ending is dropped; never from the search path or the current folder. The rest of
// the line is split at each single space into arguments, so an empty field
// between two spaces stays an empty argument.

// The argument list of a command line: argv[0] is the program's file name
// (without ".exe"), then the fields. An empty line gives an empty list.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The full path of the program named by the first word: beside the client
// when it is there, else in the installed helper folder when it is there,
// else the path beside the client (which then does not start). Empty when the
// name is empty or would leave those folders.
std::string ProgramBesideClient(const std::string& firstWord);

// Tests: look for the programs in this folder instead (empty undoes it).
void SetExternalProgramFolderForTesting(const std::string& folder);

// A started program: its process id. 0 when it did not start.
struct ExternalProcess {
    pid_t pid = 0;
    explicit operator bool() const { return pid > 0; }
};

// Variables given to one started program on top of the client's own
// environment (a variable of the same name is replaced). The environment,
// unlike the command line, is readable only by the same user.
struct EnvironmentVariable {
    std::string name;
    std::string value;
};

// Starts the program of an 8-bit (UTF-8) command line in a process group of
// its own, with the client's environment plus `extra`; standard input is
// /dev/null.
ExternalProcess StartExternalProgram(
    const std::string& commandLine, const std::vector<EnvironmentVariable>& extra = {});

// Waits without limit until the process has ended and reaps it; its exit
// status, or -1 when it could not be waited for. `beforeReap` runs once the
// process has ended but before its id is released, so whoever might still
// signal that id can forget it first (a released id may be reused at once).
int WaitForExternalProgram(ExternalProcess process, const std::function<void()>& beforeReap = {});

// The top-level window of a started program, to close it later. On X11 the
// window whose _NET_WM_PID is the process; without an X11 display only the
// process id (closing then sends SIGTERM).
struct ExternalWindow {
    pid_t pid = 0;
    unsigned long xWindow = 0;
    bool IsValid() const { return pid > 0; }
};

// Looks for the program's visible top-level window: on X11, until one is
// mapped or `limit` has passed. Without an X11 display, or when no window
// appeared in time, the process itself stands for its window as long as it
// runs; an invalid window when it has ended.
ExternalWindow FindProgramWindow(ExternalProcess process, std::chrono::milliseconds limit);

// Asks the window to close (WM_DELETE_WINDOW), or the process to end
// (SIGTERM) where there is no X11 window. Returns at once.
void CloseProgramWindow(const ExternalWindow& window);
