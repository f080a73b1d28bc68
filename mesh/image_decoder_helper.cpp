#include "mesh/image_decoder.h"

#include "mesh/budget_left.h"
#include "mesh/image_helper_work.h"
#include "mesh/image_library_decode.h"
#include "mesh/texture_loader.h"
#include "platform/helper_process.h"
#include "platform/monotonic_clock.h"
#include "platform/regular_file.h"

#include <IL/il.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace {

enum class Outcome { decoded, failed, helperLost };

} // namespace

ImageCodecs chosenImageCodecs() {
    static const ImageCodecs codecs = ilGetInteger(IL_VERSION_NUM) >= minimumImageLibraryVersion
                                          ? ImageCodecs::imageLibrary
                                          : ImageCodecs::system;
    return codecs;
}

struct ImageDecoder::Worker {
    bool start();
    Outcome decodeOne(const std::string& path, unsigned maxSide, const BudgetLeft& left,
                      DecodedImage& image);
    Outcome receive(unsigned maxSide, long long deadline, DecodedImage& image);

    HelperProcess helper;
    std::size_t servedByHelper = 0;
};

bool ImageDecoder::Worker::start() {
    servedByHelper = 0;
    const char* codecs = chosenImageCodecs() == ImageCodecs::imageLibrary ? imageLibraryCodecsName
                                                                          : systemCodecsName;
    HelperLimits limits;
    limits.memoryBytes = std::size_t{3} << 30;
    return helper.start({imageHelperOption, codecs}, limits);
}

Outcome ImageDecoder::Worker::receive(unsigned maxSide, long long deadline, DecodedImage& image) {
    const long long left = std::max(0LL, deadline - monotonicMilliseconds());
    ImageHeader header{};
    if (!helper.read(&header, sizeof header, static_cast<int>(left)))
        return helper.stop() ? Outcome::helperLost : Outcome::failed;
    if (header.width == 0 && header.height == 0) return Outcome::failed;
    MappedBuffer pixels;
    if (header.width == 0 || header.height == 0 || header.width > maxSide ||
        header.height > maxSide ||
        !helper.takeShared(header.sharedPixels, std::size_t{header.width} * header.height * 4,
                           pixels)) {
        helper.stop();
        return Outcome::failed;
    }
    ++servedByHelper;
    image.width = header.width;
    image.height = header.height;
    image.pixels = std::move(pixels);
    return Outcome::decoded;
}

// A file that takes far longer than its size can explain is given up (DecodeBudget).
Outcome ImageDecoder::Worker::decodeOne(const std::string& path, unsigned maxSide,
                                        const BudgetLeft& left, DecodedImage& image) {
    ImageHelperRequest request{left.memory(), maxSide, 0, {}};
    RegularFileFacts facts;
    if (path.size() >= sizeof request.path) return Outcome::failed;
    std::FILE* file = openRegularFile(path.c_str(), &facts);
    if (!file) return Outcome::failed;
    std::memcpy(request.path, path.c_str(), path.size() + 1);
    const bool sent =
        helper.send(file, &request, offsetof(ImageHelperRequest, path) + path.size() + 1);
    std::fclose(file);
    if (!sent) return helper.stop() ? Outcome::helperLost : Outcome::failed;
    return receive(maxSide, monotonicMilliseconds() + left.fileMilliseconds(facts.size), image);
}

ImageDecoder::ImageDecoder() : worker(std::make_unique<Worker>()) {}

ImageDecoder::~ImageDecoder() = default;

void ImageDecoder::end() {
    worker->helper.stop();
}

// The helper shares no memory with the program: it stays for the next list.
void ImageDecoder::rest() {}

// One request at a time: a helper that dies takes no other file's answer with it. An image that a
// helper died on after serving others may have been hurt by one of them, so it gets one more try
// in a fresh helper, as if it came first.
void ImageDecoder::decodeAll(const std::vector<std::string>& paths, unsigned maxSide,
                             const Take& take) {
    BudgetLeft left(budget);
    for (std::size_t index = 0; index < paths.size(); ++index) {
        for (bool retried = false;;) {
            if (left.spent()) {
                worker->helper.stop();
                return;
            }
            if (!worker->helper.running() && !worker->start()) return;
            const bool firstOfHelper = worker->servedByHelper == 0;
            DecodedImage image;
            const Outcome outcome = worker->decodeOne(paths[index], maxSide, left, image);
            if (outcome == Outcome::decoded && left.take(image.pixels.size())) take(index, image);
            if (outcome != Outcome::helperLost || firstOfHelper || retried) break;
            retried = true;
        }
    }
}

void startImageDecoder() {}

bool imageDecoderUsable() {
    return true;
}

std::string imageDecoderDescription() {
    if (chosenImageCodecs() == ImageCodecs::system)
        return "images: Windows Imaging Component (no usable DevIL.dll beside korvalin.exe)";
    return "images: DevIL.dll " + imageLibraryVersion();
}

bool runAsImageHelper(int argc, char** argv, int& exitStatus) {
    if (argc != 3 || std::strcmp(argv[1], imageHelperOption) != 0) return false;
    if (std::strcmp(argv[2], imageLibraryCodecsName) == 0)
        exitStatus = serveImageRequests(ImageCodecs::imageLibrary);
    else if (std::strcmp(argv[2], systemCodecsName) == 0)
        exitStatus = serveImageRequests(ImageCodecs::system);
    else
        return false;
    return true;
}
