#include "service/World.h"

#include <random>
#include <stdexcept>

namespace service {

std::optional<WorldKind> ParseWorldKind(std::string_view name)
{
    if (name == "demo")
        return WorldKind::Demo;
    if (name == "empty")
        return WorldKind::Empty;
    return std::nullopt;
}

const char* WorldKindName(WorldKind kind)
{
    return kind == WorldKind::Demo ? "demo" : "empty";
}

std::string Sessions::Open(std::int64_t userId)
{
    static thread_local std::mt19937_64 random { std::random_device {}() };
    static constexpr char kHex[] = "0123456789abcdef";
    std::string token;
    do {
        token.clear();
        for (int i = 0; i < 32; ++i)
            token += kHex[random() & 0xF];
    } while (m_sessions.count(token) != 0);
    m_sessions[token] = userId;
    return token;
}

std::optional<std::int64_t> Sessions::Find(const std::string& token) const
{
    auto it = m_sessions.find(token);
    if (it == m_sessions.end())
        return std::nullopt;
    return it->second;
}

void Sessions::Close(const std::string& token)
{
    m_sessions.erase(token);
}

void Sessions::Clear()
{
    m_sessions.clear();
}

void World::Reset(WorldKind kind)
{
    m_kind = kind;
    m_sessions.Clear();
    for (auto& [type, domain] : m_domains)
        domain->Seed(kind);
}

} // namespace service

namespace service {

DomainState& World::Find(std::type_index type)
{
    for (auto& [key, domain] : m_domains) {
        if (key == type)
            return *domain;
    }
    throw std::logic_error("domain state not registered");
}

} // namespace service
