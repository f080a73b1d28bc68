// Decoding texture images in process (the image library called directly) versus through the
// isolated helper, for a texture list of 100 small images and for one 4096 x 4096 image.
// Prints the median of several rounds for each, and the ratio.
#include "mesh/image_decoder.h"

#include <IL/il.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

bool decodeInProcess(const char* path) {
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool loaded = ilLoadImage(path) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
    ilDeleteImages(1, &image);
    return loaded;
}

bool decodeInHelper(const char* path) {
    RgbaImage image;
    return decodeImageIsolated(path, 16384, image);
}

// A noisy picture of the given side, so the PNG does not compress to nothing.
void writePng(const std::string& path, unsigned side, unsigned seed) {
    std::vector<unsigned char> rgba(std::size_t{side} * side * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<unsigned char>((i * 2654435761u + seed) >> 13);
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(side, side, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, rgba.data());
    ilEnable(IL_FILE_OVERWRITE);
    ilSaveImage(path.c_str());
    ilDeleteImages(1, &image);
}

double medianMilliseconds(const std::vector<std::string>& paths, bool (*decode)(const char*)) {
    std::vector<double> rounds;
    for (int round = 0; round < 5; ++round) {
        auto started = std::chrono::steady_clock::now();
        for (const std::string& path : paths)
            if (!decode(path.c_str())) std::fprintf(stderr, "failed: %s\n", path.c_str());
        rounds.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count());
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

void compare(const char* what, const std::vector<std::string>& paths) {
    double direct = medianMilliseconds(paths, decodeInProcess);
    double helper = medianMilliseconds(paths, decodeInHelper);
    std::printf("%-28s in process %8.1f ms   helper %8.1f ms   ratio %.2f\n", what, direct, helper,
                helper / direct);
}

} // namespace

int main() {
    std::string folder = "/tmp/korvalin-image-bench";
    std::system(("mkdir -p " + folder).c_str());
    std::vector<std::string> small;
    for (unsigned i = 0; i < 100; ++i) {
        small.push_back(folder + "/small" + std::to_string(i) + ".png");
        writePng(small.back(), 64, i);
    }
    std::vector<std::string> large{folder + "/large.png"};
    writePng(large.front(), 4096, 7);
    compare("100 textures of 64 x 64", small);
    compare("1 texture of 4096 x 4096", large);
    std::system(("rm -rf " + folder).c_str());
    return 0;
}
