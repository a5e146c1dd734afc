#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <typeindex>
#include <utility>
#include <vector>

namespace service {

// Which seed the world starts from.
enum class WorldKind {
    Demo, // users, devices, catalogue, plans, messages to show
    Empty, // nothing at all
};
std::optional<WorldKind> ParseWorldKind(std::string_view name);
const char* WorldKindName(WorldKind kind);

// One domain's share of the world (users, devices, apps, ...): a class of its
// own in the domain's folder, owned by the World, seeded on every reset.
class DomainState {
public:
    virtual ~DomainState() = default;
    // Replaces all content by the seed of `kind`. Called with the world lock
    // held, at start and on every reset.
    virtual void Seed(WorldKind kind) = 0;
};

// Signed-in sessions: the cookie value the login set, and its user.
class Sessions {
public:
    static constexpr const char* kCookieName = "korvana_session";

    std::string Open(std::int64_t userId); // a new random token
    std::optional<std::int64_t> Find(const std::string& token) const;
    void Close(const std::string& token);
    void Clear();
    std::map<std::string, std::int64_t> All() const { return m_sessions; }

private:
    std::map<std::string, std::int64_t> m_sessions;
};

// The whole in-memory state of the service. One lock guards it: the server
// takes it around every call handler and every test control, so handlers
// read and write any domain without locking themselves.
class World {
public:
    explicit World(WorldKind kind)
        : m_kind(kind)
    {
    }

    // Registers a domain's state; called once per type while routes are
    // registered, before the first reset.
    template <class State> State& Add()
    {
        auto state = std::make_unique<State>();
        State& ref = *state;
        m_domains.emplace_back(std::type_index(typeid(State)), std::move(state));
        return ref;
    }
    // The registered state of a domain (the domain's header offers a
    // shorthand, e.g. Accounts(world)).
    template <class State> State& Get() { return static_cast<State&>(Find(std::type_index(typeid(State)))); }

    // Seeds every domain anew, in registration order, and ends all sessions.
    // Caller holds the lock.
    void Reset(WorldKind kind);
    WorldKind kind() const { return m_kind; }

    std::mutex& mutex() { return m_mutex; }
    Sessions& sessions() { return m_sessions; }

private:
    DomainState& Find(std::type_index type);

    std::mutex m_mutex;
    WorldKind m_kind;
    Sessions m_sessions;
    std::vector<std::pair<std::type_index, std::unique_ptr<DomainState>>> m_domains;
};

} // namespace service
