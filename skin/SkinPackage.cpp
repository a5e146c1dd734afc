#include "skin/SkinPackage.h"

extern "C" const unsigned char korvana_skin_zip_begin[];
extern "C" const unsigned char korvana_skin_zip_end[];

namespace korvana {

SkinPackage EmbeddedSkinPackage()
{
    return { korvana_skin_zip_begin,
        static_cast<std::size_t>(korvana_skin_zip_end - korvana_skin_zip_begin) };
}

} // namespace korvana
