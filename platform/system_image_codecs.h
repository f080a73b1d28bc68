#pragma once

#include "platform/mapped_buffer.h"

#include <cstddef>

// Windows: decodes an image file's bytes with the system's own codecs (the Windows Imaging
// Component: PNG, JPEG, BMP, GIF, TIFF and ICO, DDS from Windows 8.1): its first frame as 8-bit
// RGBA, with its rows in the order the image library would give them for the same file (stored
// order: bottom row first for BMP and icons). False for a format the system cannot read, an
// image wider or taller than maxSide, or one whose pixels would take more than allowance bytes.
bool decodeWithSystemCodecs(const unsigned char* bytes, std::size_t size, unsigned maxSide,
                            std::size_t allowance, unsigned& width, unsigned& height,
                            MappedBuffer& pixels);
