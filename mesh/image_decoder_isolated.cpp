#include "mesh/image_decoder.h"

#include "mesh/budget_left.h"
#include "mesh/image_library_decode.h"
#include "mesh/texture_loader.h"
#include "platform/isolated_process.h"
#include "platform/monotonic_clock.h"
#include "platform/process_launcher.h"
#include "platform/regular_file.h"
#include "platform/write_all.h"

#include <IL/il.h>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <numeric>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The helper's answer to each request: this header, then width * height * 4 bytes of pixels.
// A width of 0 means the image did not decode.
struct ImageHeader {
    std::uint32_t width;
    std::uint32_t height;
};

bool readWhole(int file, unsigned char* bytes, std::size_t size) {
    if (lseek(file, 0, SEEK_SET) != 0) return false;
    while (size > 0) {
        const ssize_t got = ::read(file, bytes, size);
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

// Files up to this size are read into one buffer that serves the helper's whole list: mapping
// each would cost more than copying it (the mapping's page faults and its teardown).
constexpr off_t readUpTo = off_t{1} << 20;
std::vector<unsigned char> smallFile;

bool loadFromMemory(const char* path, const void* bytes, off_t size) {
#ifdef KORVALIN_LOOPING_IMAGE_MARK
    // The decoder's test build: a file that starts with the mark never finishes decoding, under
    // every version of the image library, where a corrupt file loops only some of them.
    constexpr char mark[] = KORVALIN_LOOPING_IMAGE_MARK;
    if (size >= static_cast<off_t>(sizeof mark - 1) &&
        std::memcmp(bytes, mark, sizeof mark - 1) == 0)
        for (volatile unsigned long spins = 0;;)
            spins = spins + 1;
#endif
    return ilLoadL(ilTypeFromExt(path), bytes, static_cast<ILuint>(size));
}

// From memory rather than a stream: the library then asks nothing about the file, and the
// helper needs no stat call, which its filter refuses. A large file is mapped, present at once.
bool loadBoundImage(int file, const char* path) {
    const off_t size = lseek(file, 0, SEEK_END);
    bool loaded = false;
    if (size > 0 && size <= readUpTo) {
        smallFile.resize(static_cast<std::size_t>(size));
        loaded = readWhole(file, smallFile.data(), smallFile.size()) &&
                 loadFromMemory(path, smallFile.data(), size);
    } else if (size > readUpTo && size <= off_t{UINT32_MAX}) {
        void* mapped = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ,
                            MAP_PRIVATE | MAP_POPULATE, file, 0);
        loaded = mapped != MAP_FAILED && loadFromMemory(path, mapped, size);
        if (mapped != MAP_FAILED) munmap(mapped, static_cast<std::size_t>(size));
    }
    close(file);
    return loaded && ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE);
}

// From a megabyte up, pixels travel in a sealed memory file that the parent maps, rather than
// being copied through the socket twice (and once more into fresh pages of the parent's).
constexpr std::size_t inMemoryFileFrom = std::size_t{1} << 20;

bool writeAllAt(int file, const unsigned char* bytes, std::size_t size) {
    for (off_t at = 0; size > 0;) {
        ssize_t written = pwrite(file, bytes, size, at);
        if (written <= 0) return false;
        bytes += written;
        at += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool sendInMemoryFile(int answers, const ImageHeader& header, const ILubyte* pixels,
                      std::size_t size) {
    const int file = makeMemoryFile();
    if (file < 0) return false;
    constexpr int seals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;
    bool sent = writeAllAt(file, pixels, size) && fcntl(file, F_ADD_SEALS, seals) == 0 &&
                sendAnswer(answers, &header, sizeof header, file);
    close(file);
    return sent;
}

std::vector<unsigned char> answerBytes;

// Header and pixels in one write: the parent then wakes once for the image, not twice.
bool sendThroughSocket(int answers, const ImageHeader& header, const ILubyte* pixels,
                       std::size_t size) {
    answerBytes.resize(sizeof header + size);
    std::memcpy(answerBytes.data(), &header, sizeof header);
    if (size > 0) std::memcpy(answerBytes.data() + sizeof header, pixels, size);
    return writeAll(answers, answerBytes.data(), answerBytes.size());
}

// Memory the library may take in one piece while it decodes the current image: the list's
// memory left when it was asked for. An image claiming more in its header is refused before
// its pixels are allocated.
std::size_t allowance = SIZE_MAX;

// Large blocks (the pixels) stay the heap's, since the library frees some with the plain
// free(), but are asked to come in huge pages.
void* ILAPIENTRY allocateWithinAllowance(const ILsizei size) {
    if (size > allowance) return nullptr;
    void* block = std::malloc(size);
    preferHugePages(block, size);
    return block;
}

void ILAPIENTRY freeAllocated(const void* memory) {
    std::free(const_cast<void*>(memory));
}

// What each request carries: the allowance, then the file's name (its extension tells the
// library the type).
struct ImageRequest {
    std::uint64_t allowance;
    char path[4096 - sizeof(std::uint64_t)]; // a request is at most 4096 bytes
};

bool answer(int file, const ImageRequest& request, int answers) {
    allowance = request.allowance;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ImageHeader header{0, 0};
    if (loadBoundImage(file, request.path))
        header = {static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_WIDTH)),
                  static_cast<std::uint32_t>(ilGetInteger(IL_IMAGE_HEIGHT))};
    const std::size_t size = std::size_t{header.width} * header.height * 4;
    const bool sent = size >= inMemoryFileFrom
                          ? sendInMemoryFile(answers, header, ilGetData(), size)
                          : sendThroughSocket(answers, header, ilGetData(), size);
    ilDeleteImages(1, &image);
    return sent;
}

// A small PNG that the launcher made; each helper decodes it as it would a file before its
// first request, so that the pages the library's code, the heap and the answer need are its own
// (not the launcher's, shared until written) by the time real images come.
std::vector<unsigned char> warmUpPicture;

void warmUp() {
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    smallFile = warmUpPicture;
    if (!smallFile.empty() &&
        ilLoadL(IL_PNG, smallFile.data(), static_cast<ILuint>(smallFile.size())) &&
        ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE))
        answerBytes.resize(sizeof(ImageHeader) +
                           static_cast<std::size_t>(ilGetInteger(IL_IMAGE_SIZE_OF_DATA)));
    ilDeleteImages(1, &image);
}

// The helper's work, behind the system-call filter: one answer per request.
int serveImages(int requests, int answers) {
    ilSetMemory(allocateWithinAllowance, freeAllocated);
    warmUp();
    ImageRequest request{};
    for (int file;
         (file = receiveRequest(requests, reinterpret_cast<char*>(&request), sizeof request)) >= 0;)
        if (!answer(file, request, answers)) return 1;
    return 0;
}

// A regular file opened for the helper, and its size; a FIFO or a device is refused before it
// could block the open or feed the library for ever.
int openImageFile(const std::string& path, long long& size) {
    RegularFileFacts facts;
    int file = openRegularFileDescriptor(path.c_str(), &facts);
    if (file >= 0) size = facts.size;
    return file;
}

enum class Outcome { decoded, failed, helperLost };

// In the launcher: the library initialised, and one small image saved as PNG (the common case)
// and loaded again, so that its code is linked in the launcher once rather than bound anew in
// every helper it forks; the PNG stays for the helpers' warm-up.
void initialiseLibrary() {
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    constexpr unsigned side = 64;
    std::vector<unsigned char> pixels(side * side * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
    std::vector<unsigned char> png(pixels.size() * 2);
    if (ilTexImage(side, side, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data())) {
        const ILuint size = ilSaveL(IL_PNG, png.data(), static_cast<ILuint>(png.size()));
        if (size > 0) warmUpPicture.assign(png.begin(), png.begin() + size);
    }
    ilDeleteImages(1, &image);
    warmUp();
}

// The launcher every decoder of the program starts its helpers through, once startImageDecoder
// has made it; until then, or once it is gone, helpers are forked from the program itself.
ProcessLauncher* imageLauncher = nullptr;

// One texture list on its way through helpers: the files still to be sent, those a helper holds
// (in the order it answers), and what is known of each.
struct ListQueue {
    explicit ListQueue(std::size_t count) : pending(count), retried(count), fileSizes(count) {
        std::iota(pending.begin(), pending.end(), std::size_t{0});
    }
    bool done() const { return pending.empty() && queued.empty(); }

    std::deque<std::size_t> pending, queued;
    std::vector<bool> retried;
    std::vector<long long> fileSizes;
};

// A few requests stay queued at the helper, so it never waits for us; not all of them, since
// each holds an open file.
constexpr std::size_t window = 8;

} // namespace

void startImageDecoder() {
    // Never destroyed: decoders that outlive main still end their helpers through it, and it
    // leaves by itself when the program ends.
    static ProcessLauncher* const launcher = new ProcessLauncher{serveImages, initialiseLibrary};
    imageLauncher = launcher;
}

struct ImageDecoder::Worker {
    bool startHelper();
    void sendRequests(const std::vector<std::string>& paths, std::size_t allowance,
                      ListQueue& list);
    Outcome receive(unsigned maxSide, int milliseconds, DecodedImage& image);
    void makeWayWhenHalfSpent(Outcome outcome);
    void handOverAfterLoss(ListQueue& list, std::size_t index, Outcome outcome, bool firstOfHelper);

    IsolatedProcess helper;
    IsolationLimits limits;
    std::size_t servedByHelper = 0;
};

ImageDecoder::ImageDecoder() : worker(std::make_unique<Worker>()) {}

ImageDecoder::~ImageDecoder() = default;

void ImageDecoder::end() {
    worker->helper.stop();
}

void ImageDecoder::rest() {
    if (!worker->helper.launched()) worker->helper.stop();
}

bool ImageDecoder::Worker::startHelper() {
    if (helper.running()) return true;
    servedByHelper = 0;
    return helper.start(serveImages, limits, imageLauncher);
}

// Tops up the helper's queue from the files still to be sent; files that cannot be opened or
// named in a request are dropped, as missing ones.
void ImageDecoder::Worker::sendRequests(const std::vector<std::string>& paths,
                                        std::size_t allowance, ListQueue& list) {
    while (list.queued.size() < window && !list.pending.empty()) {
        const std::size_t index = list.pending.front();
        list.pending.pop_front();
        ImageRequest request{allowance, {}};
        if (paths[index].size() >= sizeof request.path) continue;
        const int file = openImageFile(paths[index], list.fileSizes[index]);
        if (file < 0) continue;
        std::memcpy(request.path, paths[index].c_str(), paths[index].size() + 1);
        const bool sent =
            helper.send(file, &request, offsetof(ImageRequest, path) + paths[index].size() + 1);
        close(file);
        if (!sent) {
            list.pending.push_front(index);
            return;
        }
        list.queued.push_back(index);
    }
}

Outcome ImageDecoder::Worker::receive(unsigned maxSide, int milliseconds, DecodedImage& image) {
    ImageHeader header{};
    int file = -1;
    helper.awaitAnswer(milliseconds);
    if (!helper.read(&header, sizeof header, file))
        return helper.stop() ? Outcome::helperLost : Outcome::failed;
    if (header.width == 0 && header.height == 0 && file < 0) return Outcome::failed;
    if (header.width == 0 || header.height == 0 || header.width > maxSide ||
        header.height > maxSide) {
        if (file >= 0) close(file);
        helper.stop();
        return Outcome::failed;
    }
    const std::size_t size = std::size_t{header.width} * header.height * 4;
    MappedBuffer pixels;
    if (size >= inMemoryFileFrom) {
        bool mapped = file >= 0 && pixels.mapSealed(file, size);
        if (file >= 0) close(file);
        if (!mapped) {
            helper.stop();
            return Outcome::failed;
        }
    } else if (file >= 0 || !pixels.allocate(size)) {
        if (file >= 0) close(file);
        helper.stop();
        return Outcome::failed;
    } else if (!helper.read(pixels.data(), pixels.size())) {
        return helper.stop() ? Outcome::helperLost : Outcome::failed;
    }
    ++servedByHelper;
    image.width = header.width;
    image.height = header.height;
    image.pixels = std::move(pixels);
    return Outcome::decoded;
}

// A helper that has used half its CPU time makes way, so later images get their share.
void ImageDecoder::Worker::makeWayWhenHalfSpent(Outcome outcome) {
    if (outcome == Outcome::decoded && servedByHelper % window == 0 &&
        helper.cpuSeconds() > limits.cpuSeconds / 2.0)
        helper.stop();
}

// The helper is gone: what it had queued goes to the next one. An image that a helper died on
// after serving others may have been hurt by one of them, so it gets one more try in a fresh
// helper, as if it came first.
void ImageDecoder::Worker::handOverAfterLoss(ListQueue& list, std::size_t index, Outcome outcome,
                                             bool firstOfHelper) {
    list.pending.insert(list.pending.begin(), list.queued.begin(), list.queued.end());
    list.queued.clear();
    if (outcome == Outcome::helperLost && !firstOfHelper && !list.retried[index]) {
        list.retried[index] = true;
        list.pending.push_front(index);
    }
}

void ImageDecoder::decodeAll(const std::vector<std::string>& paths, unsigned maxSide,
                             const Take& take) {
    // Initialised here, once, so that each helper starts with the library ready, also one forked
    // from the program when there is no launcher.
    static const bool initialised = (ilInit(), true);
    (void)initialised;
    BudgetLeft left(budget);
    ListQueue list(paths.size());
    while (!list.done()) {
        if (left.spent()) {
            worker->helper.stop();
            return;
        }
        if (!worker->startHelper()) return;
        worker->sendRequests(paths, left.memory(), list);
        if (list.queued.empty()) {
            // Done, or a helper that takes no requests: the rest cannot be decoded.
            if (!list.pending.empty()) worker->helper.stop();
            return;
        }
        const std::size_t index = list.queued.front();
        list.queued.pop_front();
        const bool firstOfHelper = worker->servedByHelper == 0;
        DecodedImage image;
        const Outcome outcome =
            worker->receive(maxSide, left.fileMilliseconds(list.fileSizes[index]), image);
        if (outcome == Outcome::decoded && left.take(image.pixels.size())) take(index, image);
        worker->makeWayWhenHalfSpent(outcome);
        if (!worker->helper.running())
            worker->handOverAfterLoss(list, index, outcome, firstOfHelper);
    }
}

bool imageDecoderUsable() {
    return ilGetInteger(IL_VERSION_NUM) >= minimumImageLibraryVersion;
}

std::string imageDecoderDescription() {
    return "images: DevIL " + imageLibraryVersion();
}

bool runAsImageHelper(int, char**, int&) {
    return false;
}
