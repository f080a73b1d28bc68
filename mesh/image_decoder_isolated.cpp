#include "mesh/image_decoder.h"

#include "platform/isolated_process.h"

#include <IL/il.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <numeric>
#include <unistd.h>
#include <utility>

namespace {

// The helper's answer to each request: this header, then width * height * 4 bytes of pixels.
// A width of 0 means the image did not decode.
struct ImageHeader {
    std::uint32_t width;
    std::uint32_t height;
};

bool writeAll(int answers, const void* data, std::size_t size) {
    auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t written = write(answers, bytes, size);
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool loadBoundImage(int file, const char* path) {
    FILE* stream = fdopen(file, "rb");
    if (!stream) {
        close(file);
        return false;
    }
    bool loaded = ilLoadF(ilTypeFromExt(path), stream) && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
    std::fclose(stream);
    return loaded;
}

bool answer(int file, const char* path, int answers) {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ImageHeader header{0, 0};
    if (loadBoundImage(file, path))
        header = {static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_WIDTH)),
                  static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_HEIGHT))};
    const std::size_t size = std::size_t{header.width} * header.height * 4;
    bool sent = writeAll(answers, &header, sizeof header) &&
                (size == 0 || writeAll(answers, ilGetData(), size));
    ilDeleteImages(1, &image);
    return sent;
}

// The helper's work, behind the system-call filter: one answer per request.
int serveImages(int requests, int answers) {
    char path[4097];
    for (int file; (file = receiveRequest(requests, path, sizeof path)) >= 0;)
        if (!answer(file, path, answers)) return 1;
    return 0;
}

enum class Outcome { decoded, failed, helperLost };

} // namespace

struct ImageDecoder::Worker {
    Outcome receive(unsigned maxSide, DecodedImage& image);

    IsolatedProcess helper;
    IsolationLimits limits;
    std::size_t servedByHelper = 0;
};

ImageDecoder::ImageDecoder() : worker(std::make_unique<Worker>()) {}

ImageDecoder::~ImageDecoder() = default;

void ImageDecoder::end() {
    worker->helper.stop();
}

Outcome ImageDecoder::Worker::receive(unsigned maxSide, DecodedImage& image) {
    ImageHeader header{};
    helper.awaitAnswer();
    if (!helper.read(&header, sizeof header))
        return helper.stop() ? Outcome::helperLost : Outcome::failed;
    if (header.width == 0 && header.height == 0) return Outcome::failed;
    if (header.width == 0 || header.height == 0 || header.width > maxSide ||
        header.height > maxSide) {
        helper.stop();
        return Outcome::failed;
    }
    MappedBuffer pixels;
    if (!pixels.allocate(std::size_t{header.width} * header.height * 4)) {
        helper.stop();
        return Outcome::failed;
    }
    if (!helper.read(pixels.data(), pixels.size()))
        return helper.stop() ? Outcome::helperLost : Outcome::failed;
    ++servedByHelper;
    image.width = header.width;
    image.height = header.height;
    image.pixels = std::move(pixels);
    return Outcome::decoded;
}

void ImageDecoder::decodeAll(const std::vector<std::string>& paths, unsigned maxSide,
                             const Take& take) {
    // Initialised here, once, so that each helper starts with the library ready.
    static const bool initialised = (ilInit(), true);
    (void)initialised;
    IsolatedProcess& helper = worker->helper;
    const IsolationLimits& limits = worker->limits;
    std::size_t& servedByHelper = worker->servedByHelper;
    // A few requests stay queued at the helper, so it never waits for us; not all of them, since
    // each holds an open file.
    constexpr std::size_t window = 8;
    std::deque<std::size_t> pending(paths.size()), queued;
    std::iota(pending.begin(), pending.end(), std::size_t{0});
    std::vector<bool> retried(paths.size(), false);
    while (!pending.empty() || !queued.empty()) {
        if (!helper.running()) {
            servedByHelper = 0;
            if (!helper.start(serveImages, limits)) return;
        }
        while (queued.size() < window && !pending.empty()) {
            std::size_t index = pending.front();
            pending.pop_front();
            int file = open(paths[index].c_str(), O_RDONLY | O_CLOEXEC);
            if (file < 0) continue;
            bool sent = helper.send(file, paths[index].c_str(), paths[index].size() + 1);
            close(file);
            if (!sent) {
                pending.push_front(index);
                break;
            }
            queued.push_back(index);
        }
        if (queued.empty()) {
            // Done, or a helper that takes no requests: the rest cannot be decoded.
            if (!pending.empty()) helper.stop();
            return;
        }
        std::size_t index = queued.front();
        queued.pop_front();
        DecodedImage image;
        const bool firstOfHelper = servedByHelper == 0;
        Outcome outcome = worker->receive(maxSide, image);
        if (outcome == Outcome::decoded) take(index, image);
        // A helper that has used half its CPU time makes way, so later images get their share.
        if (outcome == Outcome::decoded && servedByHelper % window == 0 &&
            helper.cpuSeconds() > limits.cpuSeconds / 2.0)
            helper.stop();
        if (helper.running()) continue;
        // The helper is gone: what it had queued goes to the next one. An image that a helper
        // died on after serving others may have been hurt by one of them, so it gets one more
        // try in a fresh helper, as if it came first.
        pending.insert(pending.begin(), queued.begin(), queued.end());
        queued.clear();
        if (outcome == Outcome::helperLost && !firstOfHelper && !retried[index]) {
            retried[index] = true;
            pending.push_front(index);
        }
    }
}
