#include "tests/support/StderrCapture.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace korvana::test {

StderrCapture::StderrCapture()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "korvana-stderr-XXXXXX").string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return;
    m_file = pattern;
    std::fflush(stderr);
    m_saved = ::dup(STDERR_FILENO);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
}

StderrCapture::~StderrCapture()
{
    std::fflush(stderr);
    if (m_saved >= 0) {
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    if (!m_file.empty())
        ::unlink(m_file.c_str());
}

std::string StderrCapture::Text() const
{
    std::fflush(stderr);
    std::ifstream in(m_file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::size_t StderrCapture::CountOf(const std::string& line) const
{
    const std::string text = Text();
    std::size_t n = 0;
    for (std::size_t pos = text.find(line); pos != std::string::npos;
         pos = text.find(line, pos + line.size()))
        ++n;
    return n;
}

} // namespace korvana::test
