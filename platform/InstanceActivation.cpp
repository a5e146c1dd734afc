#include "platform/InstanceActivation.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/DebugLog.h"
#include "platform/InstanceLock.h"

namespace {

bool AddressOf(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

std::string ActivationSocketPath(const std::string& lockName)
{
    return InstanceLockPath(lockName) + ".sock";
}

ActivationListener::ActivationListener(const std::string& lockName, std::function<void()> onRequest)
    : m_path(ActivationSocketPath(lockName))
    , m_onRequest(std::move(onRequest))
{
    sockaddr_un address;
    if (!AddressOf(m_path, address)) {
        DebugLogA("activation: socket path too long: %s\n", m_path.c_str());
        return;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    // We hold the lock: a socket left there is one of an ended copy.
    ::unlink(m_path.c_str());
    const mode_t old = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(old);
    if (!bound || ::listen(fd, 4) != 0) {
        DebugLogA("activation: cannot listen on %s (errno %d)\n", m_path.c_str(), errno);
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
}

ActivationListener::~ActivationListener()
{
    m_notifier.reset();
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_path.c_str());
    }
}

void ActivationListener::OnReadable()
{
    bool asked = false;
    for (;;) {
        const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            break;
        ::close(client); // the connection itself is the request
        asked = true;
    }
    if (asked && m_onRequest)
        m_onRequest();
}

bool RequestActivation(const std::string& lockName)
{
    sockaddr_un address;
    if (!AddressOf(ActivationSocketPath(lockName), address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}
