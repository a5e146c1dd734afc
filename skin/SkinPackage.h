#pragma once

#include <cstddef>

namespace korvana {

// The skin ZIP linked into the program.
struct SkinPackage {
    const unsigned char* data;
    std::size_t size;
};

SkinPackage EmbeddedSkinPackage();

} // namespace korvana
