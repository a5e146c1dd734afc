#pragma once

#include <filesystem>
#include <string>

namespace korvana::test {

// The text of the QR code zbarimg finds in the picture, without the line
// end; empty when it finds none or cannot be run.
std::string DecodeQr(const std::filesystem::path& picture);

} // namespace korvana::test
