#pragma once

#include "platform/mapped_buffer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// An image as 8-bit RGBA, rows as the image library returns them.
struct DecodedImage {
    unsigned width = 0;
    unsigned height = 0;
    MappedBuffer pixels; // width * height * 4 bytes
};

// What one texture list's decoding may cost. A file that takes far longer than its size can
// explain is given up early: it is allowed floorMilliseconds plus its size at bytesPerSecond,
// a rate at which even the most compressible images (deflate at its limit of about 1000 to 1,
// one byte a pixel, expanded to four) come out at more than 80 MB of pixels a second. Past the
// list's time, or its memory for pixels, the remaining files fail as missing ones do.
struct DecodeBudget {
    int listMilliseconds = 10000;
    int floorMilliseconds = 1000;
    long long bytesPerSecond = 20 << 10;
    std::size_t memoryBytes = SIZE_MAX; // all images handed out together
};

// Decodes image files as the texture loader always has (the image library's load, type from
// the name's extension or else from the content, then conversion to RGBA). On Linux this runs
// in an isolated helper process that serves a whole texture list: a file that crashes, hangs or
// exhausts the library only fails to decode, and the files after it decode as if it had not
// been there (image_decoder_isolated.cpp). On Windows a copy of the program, started as a helper
// in a limited job, does the same (image_decoder_helper.cpp), with DevIL.dll or, where there is
// no usable one, the system's own codecs. A result wider or taller than maxSide, or whose byte
// count does not match its size, is refused.
class ImageDecoder {
  public:
    using Take = std::function<void(std::size_t index, DecodedImage& image)>;

    ImageDecoder();
    ~ImageDecoder();
    ImageDecoder(const ImageDecoder&) = delete;
    ImageDecoder& operator=(const ImageDecoder&) = delete;

    // Decodes the files in order, handing each image that decodes to take; on Linux, while one
    // is being taken, the helper already decodes the next.
    void decodeAll(const std::vector<std::string>& paths, unsigned maxSide, const Take& take);
    bool decode(const char* path, unsigned maxSide, DecodedImage& image);
    // Holds for the next decodeAll or decode.
    void setBudget(const DecodeBudget& newBudget) { budget = newBudget; }
    // Ends the helper, if any; the next decode starts a new one.
    void end();
    // Between lists: a helper that shares no memory with the program stays for the next list,
    // which then needs no new process; any other ends, since every page the program wrote while
    // they shared would first be copied.
    void rest();

  private:
    DecodeBudget budget;
    // What the system's way of decoding keeps between calls.
    struct Worker;
    std::unique_ptr<Worker> worker;
};

// Starts what the image helpers are made from: on Linux a launcher process, forked now, that forks
// each helper, so that helpers share no memory with the program. A main that decodes images calls
// this first, before any GL context or mesh exists, while the program (and so the launcher) is
// still small. Without it, helpers are forked from the program itself. Windows starts its helper
// when the first image needs it.
void startImageDecoder();

// Whether any image can be decoded at all: an image library recent enough, or on Windows the
// system's codecs where it has none.
bool imageDecoderUsable();
// Which decoder this run uses, as one line for --version.
std::string imageDecoderDescription();
// Windows: when the arguments are those the program starts its image helper with, runs as that
// helper, puts its exit status in exitStatus and returns true. Each main asks this first.
bool runAsImageHelper(int argc, char** argv, int& exitStatus);
