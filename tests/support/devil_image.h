#pragma once

#include <IL/il.h>

#include <string>
#include <vector>

// Pixels as DevIL holds them in memory, one byte a channel, rows in DevIL's order.
struct ImagePixels {
    int width = 0;
    int height = 0;
    ILenum format = IL_RGB; // IL_RGB, IL_RGBA or IL_LUMINANCE
    std::vector<unsigned char> bytes;
};

enum class SaveAs { givenFormat, palette };

// Writes the pixels with DevIL, the file format following the name's extension, into a folder
// made for it when missing; true when the file was written. savedOrigin, when given, gets the
// row order of the image DevIL saved: a file read back in another order has its rows reversed.
bool writeImageFile(const std::string& path, const ImagePixels& image,
                    SaveAs saveAs = SaveAs::givenFormat, ILint* savedOrigin = nullptr);

// An image file as DevIL reads it, without conversion or change of row order.
struct StoredImage {
    bool loaded = false;
    ILint width = 0;
    ILint height = 0;
    ILint format = 0;
    ILint origin = 0;
};

StoredImage readImageFile(const std::string& path);

// A picture file as it is viewed: rows from the top, converted to one byte a channel in format
// (IL_RGB or IL_RGBA). storedFormat is the format the file held. Empty bytes when unreadable.
struct ViewedImage {
    int width = 0;
    int height = 0;
    ILint storedFormat = 0;
    std::vector<unsigned char> bytes;
};

ViewedImage readViewedImage(const std::string& path, ILenum format);
