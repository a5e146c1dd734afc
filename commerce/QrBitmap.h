#pragma once

#include <string>
#include <string_view>

// Writes the content as a QR symbol (smallest version, level H, 8-bit mode
// hint, case-sensitive) into a top-down 24-bit BMP: 8 x 8 pixels a module, no
// quiet zone, dark modules black. An existing file is replaced. When the
// encoder refuses the content (too long) nothing is written; false then, and
// when the file cannot be written.
bool WriteQrBitmap(const std::string& content, const std::string& path);

// The BMP bytes of a module matrix of width m (m * m bytes, bit 0 set for a
// dark module, as the encoder gives them).
std::string QrBitmapBytes(const unsigned char* modules, int width);

// The file name of an order's QR picture in the image cache: the order id
// itself when it is a plain name (letters, digits, "-", "_", at most 64),
// else a name derived from it, so that no id the service sends can lead
// outside the folder. Always ends in ".bmp".
std::string QrFileName(std::wstring_view displayOrderId);
