#pragma once

#include <string>
#include <vector>

// An image file of any format the viewer reads, as the bytes of a PNG file with the same
// pixels, its first row delivered (frame.h) as the top row. The file is decoded by the
// viewer's own isolated decoder (mesh/image_decoder.h); only the decoded pixels are encoded
// here. False when it does not decode or the PNG cannot be made.
bool pngOfImageFile(const std::string& path, std::vector<unsigned char>& png);
