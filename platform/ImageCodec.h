#pragma once

#include <string>
#include <string_view>

// Image decoding and scaling for the folders above the platform, which stay
// free of the toolkit. Decodes an image of any format the platform reads,
// draws it stretched into width × height RGB pixels and encodes that as
// JPEG. Empty when the bytes are no image or the size is not positive.
std::string StretchedJpeg(std::string_view imageBytes, int width, int height);
