#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "platform/ExternalProgram.h"
#include "platform/WindowHandle.h"

// The device-control part of the ClientManager: the windows of the running
// players and of the synchronised-control program. Workers and the window
// both touch them, so they sit behind one mutex; a closed window is
// forgotten before its process id is released.
struct ControlMembers {
    std::mutex mutex;
    // Keyed by device id: a list reload moves devices to other indexes.
    std::map<std::wstring, ExternalWindow> players;
    ExternalWindow syncWindow;
    bool syncRunning = false;
    // Raised at every sign-out; a worker polling a rebooted device stops
    // when it changes.
    std::atomic<unsigned> signOutCount { 0 };
    // The main window, owner of the boxes the workers show.
    std::atomic<WindowHandle> owner { nullptr };
    // Single and batch uploads share UM_UPLOAD 1196/1197; a batch worker
    // holds uploadSendMutex and raises batchResultInFlight while its Send
    // lasts, so the window knows where the message came from.
    std::mutex uploadSendMutex;
    std::atomic<bool> batchResultInFlight { false };
};
