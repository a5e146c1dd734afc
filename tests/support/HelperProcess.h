#pragma once

#include <string>

namespace korvana::test {

// The variable that tells a test it runs as a helper process.
inline constexpr const char* kHelperProcessVariable = "KORVANA_TEST_HELPER";

// Runs this test program again with only the tests matching filter, with
// kHelperProcessVariable set to role, waits for it and returns its exit code
// (-1 when it could not be run or did not exit normally). The helper test
// checks HelperRole() and skips itself when it is empty.
int RunHelperProcess(const std::string& filter, const std::string& role);

// The role this process was started for, or an empty text.
std::string HelperRole();

} // namespace korvana::test
