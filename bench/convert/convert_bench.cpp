// convert_bench: korvalin-convert on the 2,000,000-triangle benchmark mesh, .msh to GLB and
// back, as users run it (a process, start to exit), beside assimp's own import and export of
// the same geometry (in this process, so without its start-up). Prints figures; asserts nothing.
#include "bench/bench_mesh.h"

#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
    std::vector<double> seconds;
    long peakKilobytes = 0;

    void add(double run, long peak) {
        seconds.push_back(run);
        peakKilobytes = std::max(peakKilobytes, peak);
    }
    double median() const {
        std::vector<double> sorted = seconds;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t middle = sorted.size() / 2;
        return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    }
};

// Starts argv with standard output to the file `output` (kept as it is when null) and standard
// error to /dev/null, waits for it; its wall time and peak resident size. False unless it
// exits 0.
bool spawnAndWait(std::vector<std::string> words, const char* output, double& seconds,
                  long& peakKilobytes) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output)
        posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return false;
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    peakKilobytes = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Child mode --measure PROGRAM ARGS...: runs the program and prints its wall time and peak
// resident size. Run from this small, fresh process, so the peak the kernel reports for the
// program is its own (a child's figure starts from the memory of the process it came from).
int measure(int argc, char** argv) {
    double seconds = 0;
    long peak = 0;
    const bool ok =
        spawnAndWait(std::vector<std::string>(argv + 2, argv + argc), nullptr, seconds, peak);
    std::printf("%.6f %ld\n", seconds, peak);
    return ok ? 0 : 1;
}

// Child mode --assimp IN OUT: assimp alone reads IN with the import steps korvalin-convert
// uses and writes OUT as GLB; prints the two times.
int assimpAlone(const char* input, const char* output) {
    const Clock::time_point start = Clock::now();
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFile(input, aiProcess_Triangulate | aiProcess_SortByPType |
                                     aiProcess_GenSmoothNormals | aiProcess_ValidateDataStructure);
    if (!scene) return 1;
    const Clock::time_point read = Clock::now();
    Assimp::Exporter exporter;
    if (exporter.Export(scene, "glb2", output) != AI_SUCCESS) return 1;
    std::printf("%.6f %.6f\n", std::chrono::duration<double>(read - start).count(),
                std::chrono::duration<double>(Clock::now() - read).count());
    return 0;
}

struct Measured {
    double seconds = 0;
    long peakKilobytes = 0;
    double importSeconds = 0; // --assimp runs only
    double exportSeconds = 0;
};

// Runs the words in a fresh --measure process; what it and the program printed.
bool measured(const std::string& self, const std::vector<std::string>& words,
              const std::string& report, Measured& result) {
    std::vector<std::string> all{self, "--measure"};
    all.insert(all.end(), words.begin(), words.end());
    double ignoredSeconds = 0;
    long ignoredPeak = 0;
    if (!spawnAndWait(all, report.c_str(), ignoredSeconds, ignoredPeak)) return false;
    std::FILE* in = std::fopen(report.c_str(), "r");
    if (!in) return false;
    char line[256];
    bool read = true;
    // The program's own line (assimp mode) comes first, then the measurement.
    std::vector<std::string> lines;
    while (std::fgets(line, sizeof line, in))
        lines.emplace_back(line);
    std::fclose(in);
    if (lines.empty()) return false;
    read =
        std::sscanf(lines.back().c_str(), "%lf %ld", &result.seconds, &result.peakKilobytes) == 2;
    if (lines.size() == 2)
        read = read && std::sscanf(lines[0].c_str(), "%lf %lf", &result.importSeconds,
                                   &result.exportSeconds) == 2;
    return read;
}

bool warmPageCache(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    static char chunk[1 << 20];
    while (std::fread(chunk, 1, sizeof chunk, file) == sizeof chunk) {
    }
    std::fclose(file);
    return true;
}

double megabytes(const std::string& path) {
    std::error_code error;
    return static_cast<double>(std::filesystem::file_size(path, error)) / 1e6;
}

void printRow(const char* what, const Figures& figures) {
    std::printf("  %-40s %8.2f s   peak %6.0f MB\n", what, figures.median(),
                figures.peakKilobytes / 1000.0);
}

void printPart(const char* what, const Figures& figures) {
    std::printf("    %-38s %8.2f s\n", what, figures.median());
}

bool writeBenchMesh(const std::string& path) {
    GenMesh mesh;
    return makeBenchMesh(4, mesh) && writeMesh(path.c_str(), mesh);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--measure") == 0) return measure(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--assimp") == 0) return assimpAlone(argv[2], argv[3]);
    int runs = 3;
    if (argc == 3 && std::strcmp(argv[1], "--runs") == 0) runs = std::atoi(argv[2]);
    if ((argc != 1 && argc != 3) || runs < 1) {
        std::fprintf(stderr, "usage: convert_bench [--runs N]   (default 3)\n");
        return 2;
    }
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    char pattern[] = "/tmp/korvalin-convert-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string folder = pattern;
    struct Cleanup {
        std::string folder;
        ~Cleanup() {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    } cleanup{folder};
    const std::string msh = folder + "/bench.msh", glb = folder + "/bench.glb",
                      back = folder + "/back.msh", obj = folder + "/bench.obj",
                      assimpGlb = folder + "/assimp.glb", report = folder + "/report.txt";
    if (!writeBenchMesh(msh)) {
        std::fprintf(stderr, "convert_bench: cannot write %s\n", msh.c_str());
        return 1;
    }
    Measured run;
    // The same geometry as OBJ, for assimp's text import (written once, untimed).
    if (!measured(self, {KORVALIN_CONVERT_PATH, msh, obj}, report, run)) {
        std::fprintf(stderr, "convert_bench: korvalin-convert could not write %s\n", obj.c_str());
        return 1;
    }

    Figures toGlb, toMsh, assimpGlb2Glb, glbImport, glbExport, assimpObj2Glb, objImport, objExport;
    for (int i = 0; i < runs; ++i) {
        bool ok =
            warmPageCache(msh) && measured(self, {KORVALIN_CONVERT_PATH, msh, glb}, report, run);
        toGlb.add(run.seconds, run.peakKilobytes);
        ok = ok && warmPageCache(glb) &&
             measured(self, {KORVALIN_CONVERT_PATH, glb, back}, report, run);
        toMsh.add(run.seconds, run.peakKilobytes);
        ok = ok && measured(self, {self, "--assimp", glb, assimpGlb}, report, run);
        assimpGlb2Glb.add(run.seconds, run.peakKilobytes);
        glbImport.add(run.importSeconds, 0);
        glbExport.add(run.exportSeconds, 0);
        ok = ok && warmPageCache(obj) &&
             measured(self, {self, "--assimp", obj, assimpGlb}, report, run);
        assimpObj2Glb.add(run.seconds, run.peakKilobytes);
        objImport.add(run.importSeconds, 0);
        objExport.add(run.exportSeconds, 0);
        if (!ok) {
            std::fprintf(stderr, "convert_bench: a conversion failed in run %d\n", i + 1);
            return 1;
        }
    }

    std::printf("benchmark mesh: %d vertices, %d triangles in 4 groups\n", benchVertexCount,
                benchTriangleCount);
    std::printf("  .msh %.1f MB, .glb %.1f MB, .obj %.1f MB, .msh written back %.1f MB "
                "(MB = 10^6 bytes)\n",
                megabytes(msh), megabytes(glb), megabytes(obj), megabytes(back));
    std::printf("medians of %d runs; every run a fresh process, start to exit, its input in the "
                "page cache\n\n",
                runs);
    std::printf("korvalin-convert:\n");
    printRow(".msh -> .glb", toGlb);
    printRow(".glb -> .msh", toMsh);
    std::printf("  %-40s %8.2f s\n\n", "both ways", toGlb.median() + toMsh.median());
    std::printf("assimp alone, same geometry, same import steps:\n");
    printRow("import .glb, export .glb", assimpGlb2Glb);
    printPart("of which import", glbImport);
    printPart("of which export", glbExport);
    printRow("import .obj, export .glb", assimpObj2Glb);
    printPart("of which import", objImport);
    printPart("of which export", objExport);
    std::printf("\nkorvalin-convert both ways / assimp .glb -> .glb: %.2f\n",
                (toGlb.median() + toMsh.median()) / assimpGlb2Glb.median());
    return 0;
}
