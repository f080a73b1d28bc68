#pragma once

#include <cstdint>
#include <vector>

// 8-bit RGBA pixels, top row first.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    RgbaImage() = default;
    RgbaImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 4) {}
    std::uint8_t* at(int x, int y) {
        return &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
    }
    const std::uint8_t* at(int x, int y) const {
        return &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
    }
};

// Recognisable patterns, each with a marker in its top-left corner that shows orientation.
RgbaImage makeHullPlatesImage(int size); // grey plates, dark seams, rivets, a red band
RgbaImage makeCrateImage(int size);      // framed wooden planks with a diagonal brace
RgbaImage makeStripesImage(int size);    // diagonal stripes, the blue ones half transparent
RgbaImage makeCheckerImage(int size);    // gold and brown checker

// Saves with the image library, the format chosen by the file name's extension (.dds is
// written DXT1-compressed: lossy and without alpha). False when the library is older than
// release 1.7.8, the image is empty or the file cannot be written.
bool saveImage(const char* path, const RgbaImage& image);

// Reads any format the image library knows into RGBA, top row first.
bool loadImage(const char* path, RgbaImage& image);
