#pragma once

#include <string>
#include <vector>

// For each image file, whether the image library delivers its top row first (true) or its
// bottom row first (false), which is what a .msh file's texture v is measured from (frame.h).
// The files are read by the library in an isolated helper process, as the viewer reads them;
// a file that is missing or does not decode counts as top row first, the common case.
std::vector<bool> imagesDeliveredTopRowFirst(const std::vector<std::string>& paths);
