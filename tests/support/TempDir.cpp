#include "tests/support/TempDir.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace korvana::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "korvana-test-XXXXXX").string();
    if (char* made = ::mkdtemp(pattern.data()))
        m_path = made;
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ec);
}

} // namespace korvana::test
