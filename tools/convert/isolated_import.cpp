#include "tools/convert/isolated_import.h"

#include "platform/isolated_process.h"
#include "platform/write_all.h"
#include "tools/convert/names.h"
#include "tools/convert/scene_transfer.h"

#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <new>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ---- the limits

// Any small model reads in this much memory and time; a large one gets more in proportion.
// A text format holds about as much as its scene; a compressed one (FBX arrays, 3MF, glTF's
// base64 buffers, packed PLY) up to tens of times more, hence the wide multiple.
constexpr std::size_t memoryFloor = std::size_t{512} << 20;
constexpr std::size_t memoryPerInputByte = 64;
constexpr int secondsFloor = 60;
constexpr double secondsPerInputMegabyte = 4.0;
constexpr int longestSeconds = 24 * 3600;

// Files beside IN that importers read with it, counted towards its size.
bool isSideFile(const fs::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const char* side : {".bin", ".mtl", ".material", ".skeleton", ".md5anim"})
        if (extension == side) return true;
    return false;
}

std::uint64_t inputBytes(const std::string& inputPath) {
    std::error_code error;
    std::uint64_t bytes =
        fs::is_regular_file(inputPath, error) ? fs::file_size(inputPath, error) : 0;
    if (error) bytes = 0;
    fs::path folder = fs::path(inputPath).parent_path();
    if (folder.empty()) folder = ".";
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (isSideFile(entry.path()) && entry.is_regular_file(error)) {
            const std::uint64_t size = entry.file_size(error);
            if (!error) bytes += size;
        }
    return bytes;
}

std::uint64_t physicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? std::uint64_t(pages) * std::uint64_t(pageSize) : 0;
}

// A whole positive number from the environment, or 0.
std::uint64_t setting(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text) return 0;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    return errno == 0 && *end == '\0' && text[0] != '-' ? value : 0;
}

constexpr const char* megabytesSetting = "KORVALIN_IMPORT_MEGABYTES";
constexpr const char* secondsSetting = "KORVALIN_IMPORT_SECONDS";

// ---- the child: reads IN, sends back frames of progress, then the scene or why not

enum FrameKind : std::uint32_t { progressFrame = 1, sceneFrame, failureFrame, outOfMemoryFrame };
struct FrameHeader {
    std::uint32_t kind;
    std::uint32_t size;
};
constexpr std::size_t largestFrame = 1 << 18;

constexpr unsigned importSteps = aiProcess_Triangulate | aiProcess_SortByPType |
                                 aiProcess_GenSmoothNormals | aiProcess_GenUVCoords |
                                 aiProcess_TransformUVCoords | aiProcess_ValidateDataStructure;

bool sendFrame(int answers, std::uint32_t kind, const void* data, std::size_t size) {
    const FrameHeader header{kind, static_cast<std::uint32_t>(size)};
    return writeAll(answers, &header, sizeof header) && writeAll(answers, data, size);
}

class FrameProgress : public Assimp::ProgressHandler {
  public:
    explicit FrameProgress(int answerPipe) : answers(answerPipe) {}
    bool Update(float share) override {
        // A frame for each hundredth: assimp calls this far more often.
        if (share >= 0 && share - sent >= 0.01f) {
            sent = share;
            sendFrame(answers, progressFrame, &share, sizeof share);
        }
        return true;
    }

  private:
    int answers;
    float sent = 0;
};

// The scene in frames of up to largestFrame bytes.
class SceneFrames {
  public:
    explicit SceneFrames(int answerPipe) : answers(answerPipe) { pending.reserve(largestFrame); }
    bool add(const void* data, std::size_t size) {
        auto* bytes = static_cast<const unsigned char*>(data);
        while (size > 0) {
            if (pending.size() == largestFrame && !flush()) return false;
            const std::size_t part = std::min(size, largestFrame - pending.size());
            pending.insert(pending.end(), bytes, bytes + part);
            bytes += part;
            size -= part;
        }
        return true;
    }
    bool flush() {
        const bool sent =
            pending.empty() || sendFrame(answers, sceneFrame, pending.data(), pending.size());
        pending.clear();
        return sent;
    }

  private:
    int answers;
    std::vector<unsigned char> pending;
};

bool outOfMemory = false;

void noteOutOfMemory() {
    outOfMemory = true;
    std::set_new_handler(nullptr); // the allocation is tried once more, and throws
}

// The importer's own prints would go to a stream the child may not write to (a file, under its
// limit of no file bytes), and may open where a closed one was: all three are /dev/null.
void quietStandardStreams() {
    std::signal(SIGXFSZ, SIG_IGN);
    const int null = open("/dev/null", O_RDWR);
    for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        if (null >= 0 && null != stream) dup2(null, stream);
    if (null > STDERR_FILENO) close(null);
}

int importForParent(int requests, int answers) {
    quietStandardStreams();
    char path[4097];
    const int file = receiveRequest(requests, path, sizeof path);
    if (file < 0) return 1;
    close(file); // assimp opens IN again by name, with the files beside it
    std::set_new_handler(noteOutOfMemory);
    Assimp::Importer importer;
    // Normals made where a model has none: smooth across edges up to this angle, sharp beyond.
    importer.SetPropertyFloat(AI_CONFIG_PP_GSN_MAX_SMOOTHING_ANGLE, 80.0f);
    importer.SetProgressHandler(new FrameProgress(answers));
    const aiScene* scene = importer.ReadFile(path, importSteps);
    if (!scene) {
        const std::string why = importer.GetErrorString();
        const bool memory = outOfMemory || why.find("bad_alloc") != std::string::npos;
        sendFrame(answers, memory ? outOfMemoryFrame : failureFrame, why.data(),
                  std::min(why.size(), largestFrame));
        return 1;
    }
    SceneFrames frames(answers);
    const bool sent =
        writeScene(*scene, [&frames](const void* data,
                                     std::size_t size) { return frames.add(data, size); }) &&
        frames.flush();
    return sent ? 0 : 1;
}

// ---- the parent: takes the frames in, within the deadline

class FrameReader {
  public:
    FrameReader(IsolatedProcess& importer, const std::function<void(double)>& listener)
        : child(importer), onShare(listener) {}

    // The next bytes of the scene.
    bool take(void* data, std::size_t size) {
        auto* bytes = static_cast<unsigned char*>(data);
        while (size > 0) {
            if (at == chunk.size() && !nextSceneChunk()) return false;
            const std::size_t part = std::min(size, chunk.size() - at);
            std::memcpy(bytes, chunk.data() + at, part);
            at += part;
            bytes += part;
            size -= part;
        }
        return true;
    }
    // What the child said instead of a scene: 0 when it said nothing.
    std::uint32_t failureKind() const { return failure; }
    const std::string& failureText() const { return text; }

  private:
    bool nextSceneChunk() {
        for (;;) {
            FrameHeader header{};
            if (failure || !child.read(&header, sizeof header) || header.size > largestFrame)
                return false;
            chunk.resize(header.size);
            at = 0;
            if (header.size > 0 && !child.read(chunk.data(), chunk.size())) return false;
            switch (header.kind) {
            case progressFrame: {
                float share = 0;
                if (chunk.size() != sizeof share) return false;
                std::memcpy(&share, chunk.data(), sizeof share);
                if (onShare && share >= 0) onShare(share > 1 ? 1.0 : share);
                break;
            }
            case sceneFrame:
                if (!chunk.empty()) return true;
                break;
            case failureFrame:
            case outOfMemoryFrame:
                failure = header.kind;
                text.assign(chunk.begin(), chunk.end());
                return false;
            default:
                return false;
            }
        }
    }

    IsolatedProcess& child;
    const std::function<void(double)>& onShare;
    std::vector<unsigned char> chunk;
    std::size_t at = 0;
    std::uint32_t failure = 0;
    std::string text;
};

std::string megabytes(std::size_t bytes) {
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

std::string pastMemory(const std::string& inputPath, const ImportLimits& limits) {
    return inputPath + ": refused: reading it needs more than " + megabytes(limits.memoryBytes) +
           " of memory, the limit for a file of its size (" + megabytesSetting + " sets another)";
}

std::string pastTime(const std::string& inputPath, const ImportLimits& limits) {
    return inputPath + ": refused: reading it takes longer than " + std::to_string(limits.seconds) +
           " s, the limit for a file of its size (" + secondsSetting + " sets another)";
}

std::uint64_t addressSpaceNow() {
    unsigned long pages = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    return std::uint64_t{pages} * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

// Limits this process was started with stay the ceiling: the child could not take higher ones.
void keepWithinOwnLimits(IsolationLimits& isolation) {
    rlimit space{}, cpu{};
    if (getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_max != RLIM_INFINITY) {
        const std::uint64_t now = addressSpaceNow(), margin = std::uint64_t{16} << 20;
        const std::uint64_t room =
            space.rlim_max > now + margin ? space.rlim_max - now - margin : 0;
        isolation.extraAddressSpace = std::min<std::uint64_t>(isolation.extraAddressSpace, room);
    }
    if (getrlimit(RLIMIT_CPU, &cpu) == 0 && cpu.rlim_max != RLIM_INFINITY)
        isolation.cpuSeconds =
            static_cast<unsigned>(std::min<rlim_t>(isolation.cpuSeconds, cpu.rlim_max - 1));
}

// IN opened for the child, or -1 (with `error`) when it cannot be or is not a regular file.
int openInput(const std::string& inputPath, std::string& error) {
    if (inputPath.size() >= 4096) {
        error = inputPath.substr(0, 64) + "...: the path is too long";
        return -1;
    }
    // Not blocking: a FIFO given as IN must not hold this process before the deadline counts.
    const int file = open(inputPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) {
        error = "cannot open " + inputPath + ": " + std::strerror(errno);
        return -1;
    }
    // No importer reads a model from a pipe, a device or a folder (assimp 5.2 waited on a pipe
    // until the time limit, 5.4 does not open one): refused here, and said why.
    struct stat facts = {};
    if (fstat(file, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        close(file);
        error = inputPath + ": refused: not a regular file (a pipe, a device or a folder)";
        return -1;
    }
    return file;
}

// The child's limits; `limits` takes the memory it is left after this process's own ceiling.
IsolationLimits isolationFor(ImportLimits& limits) {
    IsolationLimits isolation;
    // assimp opens IN and the files beside it by name: the limits and the deadline bound it.
    isolation.systemCallFilter = false;
    isolation.extraAddressSpace = limits.memoryBytes;
    isolation.cpuSeconds = static_cast<unsigned>(limits.seconds) + 5;
    isolation.requestMilliseconds = limits.seconds * 1000;
    keepWithinOwnLimits(isolation);
    limits.memoryBytes = isolation.extraAddressSpace;
    return isolation;
}

// Why no scene came back.
std::string whyNoScene(const FrameReader& frames, bool endedByItself, const std::string& inputPath,
                       const ImportLimits& limits) {
    if (frames.failureKind() == outOfMemoryFrame) return pastMemory(inputPath, limits);
    if (frames.failureKind() == failureFrame)
        return inputPath + ": " + oneLine(frames.failureText());
    if (endedByItself)
        return inputPath +
               ": the importer ended without an answer (it crashed, or ran out of its " +
               megabytes(limits.memoryBytes) + " of memory)";
    return pastTime(inputPath, limits);
}

} // namespace

ImportLimits importLimitsFor(const std::string& inputPath) {
    const std::uint64_t bytes = inputBytes(inputPath);
    ImportLimits limits;
    const std::uint64_t ceiling = physicalMemory() / 4 * 3;
    std::uint64_t memory =
        memoryFloor + std::min<std::uint64_t>(bytes, ceiling) * memoryPerInputByte;
    if (ceiling > 0) memory = std::min(memory, std::max<std::uint64_t>(ceiling, memoryFloor));
    if (const std::uint64_t given = setting(megabytesSetting))
        memory = ceiling > 0 ? std::min(given, ceiling >> 20) << 20 : given << 20;
    limits.memoryBytes = static_cast<std::size_t>(memory);
    double seconds = secondsFloor + secondsPerInputMegabyte * static_cast<double>(bytes) / 1e6;
    if (const std::uint64_t given = setting(secondsSetting)) seconds = static_cast<double>(given);
    limits.seconds = static_cast<int>(std::min<double>(seconds, longestSeconds));
    return limits;
}

std::unique_ptr<aiScene> importIsolated(const std::string& inputPath,
                                        const std::function<void(double)>& onShare,
                                        std::string& error) {
    ImportLimits limits = importLimitsFor(inputPath);
    const int file = openInput(inputPath, error);
    if (file < 0) return nullptr;
    const IsolationLimits isolation = isolationFor(limits);
    IsolatedProcess child;
    const bool started = child.start(importForParent, isolation);
    const bool sent = started && child.send(file, inputPath.c_str(), inputPath.size() + 1);
    close(file);
    if (!sent) {
        error = "cannot start the importer's process: " + std::string(std::strerror(errno));
        return nullptr;
    }
    child.awaitAnswer();
    FrameReader frames(child, onShare);
    std::unique_ptr<aiScene> scene =
        readScene([&frames](void* data, std::size_t size) { return frames.take(data, size); },
                  limits.memoryBytes);
    const bool endedByItself = child.stop();
    if (!scene) error = whyNoScene(frames, endedByItself, inputPath, limits);
    return scene;
}
