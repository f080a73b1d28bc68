#pragma once

#include <vector>

// An image as 8-bit RGBA, rows as the image library returns them.
struct RgbaImage {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> pixels; // width * height * 4 bytes
};

// Decodes the image file at path as the texture loader always has (the image library's load,
// type from the name's extension or else from the content, then conversion to RGBA), but in
// an isolated helper process: a file that crashes, hangs or exhausts the library only makes
// this return false. A result wider or taller than maxSide, or whose byte count does not
// match its size, is refused before anything is allocated for it.
bool decodeImageIsolated(const char* path, unsigned maxSide, RgbaImage& image);
