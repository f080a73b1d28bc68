// load_bench: throughput and peak memory of loadMesh on the 1,000,000-vertex benchmark mesh,
// beside a plain fgets + sscanf reader of the same file. Prints figures; asserts nothing.
#include "bench/bench_mesh.h"
#include "bench/process_memory.h"
#include "bench/reference_reader.h"
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int minimumRuns = 5;

struct Options {
    std::string path; // empty: generate the mesh into a temporary folder
    int runs = 7;
    int groups = 4;
};

struct Timing {
    std::vector<double> seconds;    // wall clock
    std::vector<double> cpuSeconds; // this process's CPU time, less disturbed by other load
    MeshSums sums;
};

struct PeakFigures {
    long long before = 0;
    long long after = 0;
    long long arrays = 0;
    int resetWorked = 0;
};

using Clock = std::chrono::steady_clock;

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

// Times one read and records it.
template <typename Read> bool timeRun(Timing& timing, Read read) {
    const double cpuStart = processCpuSeconds();
    const Clock::time_point start = Clock::now();
    if (!read()) return false;
    timing.seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    timing.cpuSeconds.push_back(processCpuSeconds() - cpuStart);
    return true;
}

long long sceneArrayBytes() {
    long long bytes = meshScene.groupCount * (long long)sizeof(MeshGroup) +
                      meshScene.materialCount * (long long)sizeof(MeshMaterial) +
                      meshScene.textureCount * (long long)sizeof(TextureName);
    for (int g = 0; g < meshScene.groupCount; ++g) {
        const MeshGroup& group = meshScene.groups[g];
        bytes += group.vertexCount * (long long)sizeof(MeshVertex) +
                 group.triangleCount * (long long)sizeof(MeshTriangle);
    }
    return bytes;
}

bool timeLoadMesh(const char* path, int runs, Timing& timing) {
    for (int run = 0; run < runs; ++run) {
        meshScene.releaseMesh();
        if (!timeRun(timing, [path] { return loadMesh(path); })) return false;
        if (run == 0) timing.sums = sumGroups(meshScene.groups.get(), meshScene.groupCount);
    }
    meshScene.releaseMesh();
    return true;
}

bool timeReference(const char* path, int runs, Timing& timing) {
    for (int run = 0; run < runs; ++run) {
        ReferenceScene scene;
        if (!timeRun(timing, [&] { return readReference(path, scene); })) return false;
        if (run == 0) timing.sums = sumGroups(scene.groups.get(), scene.groupCount);
    }
    return true;
}

// One untimed read so that every timed run finds the file in the page cache.
bool warmPageCache(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    static char chunk[1 << 20];
    while (std::fread(chunk, 1, sizeof chunk, file) == sizeof chunk) {
    }
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

// Child mode: one loadMesh in a process that has read nothing else.
int reportPeak(const char* path) {
    const int resetWorked = resetPeakResident() ? 1 : 0;
    const long long before = statusBytes("VmHWM");
    meshScene.releaseMesh();
    if (!loadMesh(path)) return 1;
    const long long after = statusBytes("VmHWM");
    std::printf("%lld %lld %lld %d\n", before, after, sceneArrayBytes(), resetWorked);
    return before < 0 || after < 0 ? 1 : 0;
}

bool measurePeak(const char* path, PeakFigures& peak) {
    const char* const argv[] = {"/proc/self/exe", "--peak-child", path, nullptr};
    std::string output;
    return runAndCapture(argv, output) &&
           std::sscanf(output.c_str(), "%lld %lld %lld %d", &peak.before, &peak.after, &peak.arrays,
                       &peak.resetWorked) == 4;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void printReader(const char* name, const Timing& timing, double megabytes) {
    const auto [fastest, slowest] =
        std::minmax_element(timing.seconds.begin(), timing.seconds.end());
    const double middle = median(timing.seconds);
    std::printf("%-16s %12.1f %10.1f %11.1f %10.3f %16.1f\n", name, megabytes / middle,
                megabytes / *fastest, megabytes / *slowest, middle,
                megabytes / median(timing.cpuSeconds));
}

void printPeak(const PeakFigures& peak) {
    const double growth = double(peak.after - peak.before);
    std::printf("\npeak memory of one loadMesh in a fresh process (MB = 10^6 bytes)\n");
    std::printf("  mesh arrays (vertices, triangles, group/material/texture records) %9.1f MB\n",
                peak.arrays / 1e6);
    std::printf("  growth of peak resident size (VmHWM)                              %9.1f MB"
                " = %.1f%% of the arrays (target: at most 110%%)\n",
                growth / 1e6, 100 * growth / peak.arrays);
    if (!peak.resetWorked)
        std::printf("  (the peak could not be reset first; growth is counted from the start-up "
                    "peak)\n");
}

bool sameSums(const MeshSums& a, const MeshSums& b) {
    return a.vertices == b.vertices && a.triangles == b.triangles &&
           a.vertexFields == b.vertexFields && a.cornerIndices == b.cornerIndices;
}

void printSpeed(const Options& options, double megabytes, const Timing& mesh,
                const Timing& reference) {
    std::printf("%s\n  %.1f MB (MB = 10^6 bytes), %lld vertices, %lld triangles\n",
                options.path.c_str(), megabytes, reference.sums.vertices, reference.sums.triangles);
    std::printf("  %d runs per reader; every run reads the file from the page cache (an "
                "untimed read warms it first)\n\n",
                options.runs);
    std::printf("%-16s %12s %10s %11s %10s %16s\n", "reader", "median MB/s", "best MB/s",
                "worst MB/s", "median s", "median CPU MB/s");
    printReader("loadMesh", mesh, megabytes);
    printReader("fgets + sscanf", reference, megabytes);
    std::printf("loadMesh is %.1f times as fast as the reference; both stored the same "
                "numbers: %s\n",
                median(reference.seconds) / median(mesh.seconds),
                sameSums(mesh.sums, reference.sums) ? "yes" : "NO");
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--runs") == 0 && hasValue)
            options.runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--groups") == 0 && hasValue)
            options.groups = std::atoi(argv[++i]);
        else if (argv[i][0] != '-' && options.path.empty())
            options.path = argv[i];
        else
            return false;
    }
    return options.runs >= minimumRuns && isValidBenchGroupCount(options.groups);
}

// The generated mesh lives in its own temporary folder, removed on exit.
class TemporaryMesh {
  public:
    bool create(int groups, std::string& path) {
        char pattern[] = "/tmp/korvalin-bench-XXXXXX";
        if (!mkdtemp(pattern)) return false;
        folder_ = pattern;
        path_ = folder_ + "/bench.msh";
        GenMesh mesh;
        if (!makeBenchMesh(groups, mesh) || !writeMesh(path_.c_str(), mesh)) return false;
        path = path_;
        return true;
    }
    ~TemporaryMesh() {
        if (!path_.empty()) unlink(path_.c_str());
        if (!folder_.empty()) rmdir(folder_.c_str());
    }

  private:
    std::string folder_;
    std::string path_;
};

int runBenchmark(Options& options) {
    TemporaryMesh temporary;
    if (options.path.empty() && !temporary.create(options.groups, options.path)) {
        std::fprintf(stderr, "load_bench: cannot write the benchmark mesh\n");
        return 1;
    }
    struct stat info = {};
    if (stat(options.path.c_str(), &info) != 0 || !warmPageCache(options.path.c_str())) {
        std::fprintf(stderr, "load_bench: cannot read %s\n", options.path.c_str());
        return 1;
    }
    const double megabytes = info.st_size / 1e6;
    Timing mesh, reference;
    if (!timeReference(options.path.c_str(), options.runs, reference)) {
        std::fprintf(stderr, "load_bench: the reference reader rejects %s\n", options.path.c_str());
        return 1;
    }
    if (!timeLoadMesh(options.path.c_str(), options.runs, mesh)) {
        std::fprintf(stderr, "load_bench: loadMesh rejects %s\n", options.path.c_str());
        return 1;
    }
    printSpeed(options, megabytes, mesh, reference);
    PeakFigures peak;
    if (!measurePeak(options.path.c_str(), peak)) {
        std::fprintf(stderr, "load_bench: the peak-memory child process failed\n");
        return 1;
    }
    printPeak(peak);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--peak-child") == 0) return reportPeak(argv[2]);
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: load_bench [FILE] [--runs N (at least %d)] [--groups N]\n"
                     "Without FILE, writes a %d-vertex, %d-triangle mesh of N tori "
                     "(default 4) to a temporary folder.\n",
                     minimumRuns, benchVertexCount, benchTriangleCount);
        return 2;
    }
    return runBenchmark(options);
}
