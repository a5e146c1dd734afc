#pragma once

#include <optional>
#include <string>

namespace korvana::test {

// Sets (or, with nullopt, removes) an environment variable for the life of
// the object and puts the old value back afterwards.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace korvana::test
