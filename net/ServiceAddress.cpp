#include "net/ServiceAddress.h"

#include <atomic>
#include <forward_list>
#include <mutex>

#include "app/BuildConfig.h"

namespace {

// Every host ever set stays alive, so a reference handed out by ServiceHost
// remains valid while another thread sets a new address.
struct AddressStore {
    std::mutex mutex;
    std::forward_list<std::string> hosts { std::string(korvana::build::kServiceHost) };
    std::atomic<const std::string*> host { &hosts.front() };
    std::atomic<long> port { korvana::build::kServicePort };
    ServiceTransport transport { std::string(korvana::build::kServiceScheme) == "https",
        korvana::build::kServiceCaFile };
};

AddressStore& Store()
{
    static AddressStore store;
    return store;
}

} // namespace

const std::string& ServiceHost()
{
    return *Store().host.load(std::memory_order_acquire);
}

long ServicePort()
{
    return Store().port.load(std::memory_order_acquire);
}

void SetServiceAddress(std::string host, long port)
{
    AddressStore& store = Store();
    std::lock_guard lock(store.mutex);
    store.hosts.push_front(std::move(host));
    store.host.store(&store.hosts.front(), std::memory_order_release);
    store.port.store(port, std::memory_order_release);
}

ServiceTransport CurrentServiceTransport()
{
    AddressStore& store = Store();
    std::lock_guard lock(store.mutex);
    return store.transport;
}

void SetServiceTransportForTesting(ServiceTransport transport)
{
    AddressStore& store = Store();
    std::lock_guard lock(store.mutex);
    store.transport = std::move(transport);
}
