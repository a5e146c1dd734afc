#pragma once

#include <string>

namespace korvana::test {

// Gives this test process, and the synchronised-control program it starts, a
// device-list section of their own for the life of the object. The per-user
// section is shared by every process of the user: tests running side by side
// would hand each other's programs their devices.
class OwnSyncSection {
public:
    OwnSyncSection();
    ~OwnSyncSection();
    OwnSyncSection(const OwnSyncSection&) = delete;
    OwnSyncSection& operator=(const OwnSyncSection&) = delete;

    const std::string& name() const { return m_name; }

private:
    std::string m_name;
};

} // namespace korvana::test
