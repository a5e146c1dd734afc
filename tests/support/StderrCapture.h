#pragma once

#include <string>

namespace korvana::test {

// Collects what the process writes to standard error (where the diagnostic
// log goes) while the object lives.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Everything written so far.
    std::string Text() const;
    // How often line (with its line break) was written.
    std::size_t CountOf(const std::string& line) const;

private:
    int m_saved = -1;
    std::string m_file;
};

} // namespace korvana::test
