#include "platform/ExternalProgram.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/BuildConfig.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"

extern char** environ;

namespace {

std::mutex g_folderMutex;
std::string g_folderOverride;

std::string ProgramFolder()
{
    {
        std::lock_guard lock(g_folderMutex);
        if (!g_folderOverride.empty())
            return g_folderOverride;
    }
    const std::string self = RunningProgramPath();
    const std::size_t slash = self.rfind('/');
    return slash == std::string::npos ? std::string() : self.substr(0, slash);
}

// Windows may vanish while we look at them; Xlib's default reaction to the
// resulting BadWindow would end the client.
int IgnoreXError(::Display*, XErrorEvent* event)
{
    DebugLogA("X error %d ignored\n", static_cast<int>(event->error_code));
    return 0;
}

// One display connection per call: the callers are worker threads and the
// UI thread, and Xlib connections are not shared between them.
class Display11 {
public:
    Display11()
    {
        const char* name = std::getenv("DISPLAY");
        if (name == nullptr || *name == '\0')
            return;
        static std::once_flag handlerSet;
        std::call_once(handlerSet, [] { XSetErrorHandler(&IgnoreXError); });
        m_display = XOpenDisplay(nullptr);
    }
    ~Display11()
    {
        if (m_display != nullptr)
            XCloseDisplay(m_display);
    }
    Display11(const Display11&) = delete;
    Display11& operator=(const Display11&) = delete;
    ::Display* get() const { return m_display; }

private:
    ::Display* m_display = nullptr;
};

bool WindowPid(::Display* display, Window window, Atom pidAtom, pid_t& pid)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(
            display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data)
        != Success)
        return false;
    bool found = false;
    if (data != nullptr && type == XA_CARDINAL && format == 32 && count == 1) {
        pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
        found = true;
    }
    if (data != nullptr)
        XFree(data);
    return found;
}

bool WindowIsShown(::Display* display, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

// Top-level windows are children of the root, or (under a reparenting
// window manager) children of the root's frame windows: two levels suffice.
Window FindWindowOfPid(::Display* display, pid_t pid)
{
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == None)
        return 0;
    Window result = 0;
    auto visit = [&](auto& self, Window parent, int depth) -> void {
        Window root = 0;
        Window parentOut = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, parent, &root, &parentOut, &children, &count) == 0)
            return;
        for (unsigned int i = 0; i < count && result == 0; ++i) {
            pid_t owner = 0;
            if (WindowPid(display, children[i], pidAtom, owner) && owner == pid
                && WindowIsShown(display, children[i]))
                result = children[i];
            else if (depth < 2)
                self(self, children[i], depth + 1);
        }
        if (children != nullptr)
            XFree(children);
    };
    visit(visit, DefaultRootWindow(display), 1);
    return result;
}

bool ProcessRuns(pid_t pid)
{
    siginfo_t info {};
    // WNOHANG without reaping: si_pid stays 0 while the child runs.
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false;
    return info.si_pid == 0;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> words;
    if (commandLine.empty())
        return words;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = commandLine.find(' ', start);
        words.push_back(
            commandLine.substr(start, space == std::string::npos ? std::string::npos : space - start));
        if (space == std::string::npos)
            break;
        start = space + 1;
    }
    std::string& program = words.front();
    if (program.size() > 4 && program.compare(program.size() - 4, 4, ".exe") == 0)
        program.resize(program.size() - 4);
    return words;
}

std::string ProgramBesideClient(const std::string& firstWord)
{
    if (firstWord.empty() || firstWord == "." || firstWord == ".."
        || firstWord.find('/') != std::string::npos)
        return {};
    const std::string folder = ProgramFolder();
    if (folder.empty())
        return {};
    // The build tree has the helpers beside the client; an installed client
    // in <prefix>/bin has them in its helper folder, found from its own place
    // so a moved prefix keeps working.
    const std::string beside = folder + "/" + firstWord;
    if (IsRegularFile(beside))
        return beside;
    const std::string installed = folder + "/" + korvana::build::kHelperFolderFromBin + "/" + firstWord;
    if (IsRegularFile(installed))
        return installed;
    return beside;
}

void SetExternalProgramFolderForTesting(const std::string& folder)
{
    std::lock_guard lock(g_folderMutex);
    g_folderOverride = folder;
}

namespace {

// The client's environment with `extra` set; the strings live in `storage`.
std::vector<char*> EnvironmentOf(
    const std::vector<EnvironmentVariable>& extra, std::vector<std::string>& storage)
{
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const EnvironmentVariable& variable : extra)
            replaced = replaced || text.compare(0, variable.name.size() + 1, variable.name + "=") == 0;
        if (!replaced)
            storage.push_back(text);
    }
    for (const EnvironmentVariable& variable : extra)
        storage.push_back(variable.name + "=" + variable.value);
    std::vector<char*> pointers;
    for (std::string& text : storage)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ExternalProcess StartExternalProgram(
    const std::string& commandLine, const std::vector<EnvironmentVariable>& extra)
{
    std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty())
        return {};
    const std::string program = ProgramBesideClient(words.front());
    if (program.empty() || !IsRegularFile(program)) {
        DebugLogA("program not found: %s\n", program.c_str());
        return {};
    }
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> environmentTexts;
    std::vector<char*> environment = EnvironmentOf(extra, environmentTexts);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_init(&attributes);
    // A group of its own, so a signal to the client's group does not reach
    // it, and the default signal dispositions whatever the client changed.
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int error
        = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environment.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        DebugLogA("posix_spawn FAILED,Error:%d\n", error);
        return {};
    }
    return ExternalProcess { pid };
}

int WaitForExternalProgram(ExternalProcess process, const std::function<void()>& beforeReap)
{
    if (!process)
        return -1;
    siginfo_t info {};
    int result = 0;
    do {
        result = waitid(P_PID, static_cast<id_t>(process.pid), &info, WEXITED | WNOWAIT);
    } while (result != 0 && errno == EINTR);
    if (beforeReap)
        beforeReap();
    int status = 0;
    pid_t reaped = 0;
    do {
        reaped = waitpid(process.pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (reaped != process.pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

ExternalWindow FindProgramWindow(ExternalProcess process, std::chrono::milliseconds limit)
{
    if (!process)
        return {};
    Display11 display;
    if (display.get() == nullptr)
        return ProcessRuns(process.pid) ? ExternalWindow { process.pid, 0 } : ExternalWindow {};
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (Window window = FindWindowOfPid(display.get(), process.pid))
            return ExternalWindow { process.pid, window };
        if (!ProcessRuns(process.pid))
            return {};
        // A program that shows no X11 window (another platform plugin, or
        // slow) is still closed through its process rather than left
        // beyond reach.
        if (std::chrono::steady_clock::now() >= end)
            return ExternalWindow { process.pid, 0 };
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void CloseProgramWindow(const ExternalWindow& window)
{
    if (!window.IsValid())
        return;
    if (window.xWindow != 0) {
        Display11 display;
        if (display.get() != nullptr) {
            XEvent event {};
            event.xclient.type = ClientMessage;
            event.xclient.window = window.xWindow;
            event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
            event.xclient.format = 32;
            event.xclient.data.l[0]
                = static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display.get(), window.xWindow, False, NoEventMask, &event);
            XFlush(display.get());
            return;
        }
    }
    kill(window.pid, SIGTERM);
}
