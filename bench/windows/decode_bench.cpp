// korvalin-decode-bench.exe: image decoding on Windows, through the helper process against in
// the program itself, with the codecs the viewer would choose (DevIL.dll beside it, or else the
// system's). Prints each image's size and pixel checksum and the time of each way over all files:
//
//     korvalin-decode-bench.exe ROUNDS FILE...
#include "mesh/image_decoder.h"
#include "mesh/image_helper_work.h"
#include "platform/regular_file.h"

#include <IL/il.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::uint64_t checksum(const DecodedImage& image) {
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        hash = (hash ^ image.pixels.data()[i]) * 1099511628211ull;
    return hash;
}

// Reading the file is part of the cost, as it is in the helper.
std::vector<std::uint64_t> decodeInProgram(const std::vector<std::string>& paths) {
    const ImageCodecs codecs = chosenImageCodecs();
    static const bool initialised = (codecs == ImageCodecs::imageLibrary && (ilInit(), true));
    (void)initialised;
    std::vector<std::uint64_t> sums(paths.size(), 0);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        ImageHelperRequest request{SIZE_MAX, 1u << 16, 0, {}};
        std::strncpy(request.path, paths[i].c_str(), sizeof request.path - 1);
        MappedBuffer bytes;
        DecodedImage image;
        if (readRegularFile(paths[i].c_str(), bytes) &&
            decodeImageBytes(codecs, request, bytes, image))
            sums[i] = checksum(image);
    }
    return sums;
}

// With KORVALIN_DUMP_PIXELS set, each image's pixels also go to FILE.rgba beside it, for a look
// at how two decoders differ.
void dump(const std::string& path, const DecodedImage& image) {
    if (!std::getenv("KORVALIN_DUMP_PIXELS")) return;
    if (std::FILE* out = std::fopen((path + ".rgba").c_str(), "wb")) {
        std::fwrite(image.pixels.data(), 1, image.pixels.size(), out);
        std::fclose(out);
    }
}

std::vector<std::uint64_t> decodeInHelper(ImageDecoder& decoder,
                                          const std::vector<std::string>& paths) {
    std::vector<std::uint64_t> sums(paths.size(), 0);
    decoder.decodeAll(paths, 1u << 16, [&](std::size_t index, DecodedImage& image) {
        sums[index] = checksum(image);
        dump(paths[index], image);
    });
    return sums;
}

template <typename Decode> double milliseconds(Decode decode, std::vector<std::uint64_t>& sums) {
    const auto start = std::chrono::steady_clock::now();
    sums = decode();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main(int argc, char** argv) {
    int status = 0;
    if (runAsImageHelper(argc, argv, status)) return status;
    if (argc < 3) {
        std::fprintf(stderr, "usage: korvalin-decode-bench.exe ROUNDS FILE...\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    const std::vector<std::string> paths(argv + 2, argv + argc);
    std::printf("%s\n", imageDecoderDescription().c_str());
    ImageDecoder decoder;
    DecodeBudget budget;
    budget.listMilliseconds = 600000;
    decoder.setBudget(budget);
    std::vector<std::uint64_t> inHelper, inProgram;
    // The first helper's start is counted apart: the viewer pays it once a run.
    const double firstList = milliseconds([&] { return decodeInHelper(decoder, paths); }, inHelper);
    std::printf("helper, first list (with its start): %.1f ms\n", firstList);
    inProgram = inHelper;
    for (int round = 0; round < rounds; ++round) {
        const double helper =
            milliseconds([&] { return decodeInHelper(decoder, paths); }, inHelper);
        const double program = milliseconds([&] { return decodeInProgram(paths); }, inProgram);
        std::printf("round %d: helper %.1f ms, in the program %.1f ms\n", round + 1, helper,
                    program);
    }
    for (std::size_t i = 0; i < paths.size(); ++i)
        std::printf("%016llx %s %s\n", static_cast<unsigned long long>(inHelper[i]),
                    inHelper[i] == inProgram[i] ? "same" : "DIFFERENT", paths[i].c_str());
    return 0;
}
