#pragma once

#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

// The running copy listens on a socket beside its instance lock (mode 0600,
// the lock's folder); a second copy asks it through that socket to come to
// the front before it shows its own box and ends. The listener lives on the
// UI thread and calls onRequest there.
class ActivationListener {
public:
    ActivationListener(const std::string& lockName, std::function<void()> onRequest);
    ~ActivationListener();
    ActivationListener(const ActivationListener&) = delete;
    ActivationListener& operator=(const ActivationListener&) = delete;

    bool IsListening() const { return m_fd >= 0; }

private:
    void OnReadable();

    int m_fd = -1;
    std::string m_path;
    std::function<void()> m_onRequest;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// Asks the copy holding the lock to come to the front; false when none listens.
bool RequestActivation(const std::string& lockName);

// The socket of the lock name (the lock file's path + ".sock").
std::string ActivationSocketPath(const std::string& lockName);
