#include "tests/support/OwnSyncSection.h"

#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/SharedSection.h"

namespace korvana::test {

OwnSyncSection::OwnSyncSection()
    : m_name("/korvana-test-sync-" + std::to_string(::getpid()))
{
    SetSyncSectionNameForTesting(m_name);
    setenv(kSyncSectionTestVariable, m_name.c_str(), 1);
}

OwnSyncSection::~OwnSyncSection()
{
    unsetenv(kSyncSectionTestVariable);
    SetSyncSectionNameForTesting("");
    shm_unlink(m_name.c_str());
}

} // namespace korvana::test
