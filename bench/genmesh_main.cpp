// korvalin-genmesh: writes the sample models or the load benchmark's mesh.
#include "bench/bench_mesh.h"
#include "bench/obj_writer.h"
#include "bench/sample_set.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int defaultBenchGroups = 4;

int usage() {
    std::fprintf(stderr,
                 "usage: korvalin-genmesh --samples DIR\n"
                 "       korvalin-genmesh --bench FILE [--groups N]\n"
                 "--bench writes %d vertices and %d triangles in N tori (N divides 2000, "
                 "at most 64; default %d); as Wavefront OBJ when FILE ends in .obj.\n",
                 benchVertexCount, benchTriangleCount, defaultBenchGroups);
    return 2;
}

bool parseGroupCount(const char* text, int& groupCount) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || !isValidBenchGroupCount(static_cast<int>(value)))
        return false;
    groupCount = static_cast<int>(value);
    return true;
}

bool endsWith(const char* text, const char* suffix) {
    const std::size_t length = std::strlen(text), suffixLength = std::strlen(suffix);
    return length >= suffixLength && std::strcmp(text + length - suffixLength, suffix) == 0;
}

int writeBench(const char* path, int groupCount) {
    GenMesh mesh;
    const bool obj = endsWith(path, ".obj");
    if (!makeBenchMesh(groupCount, mesh) || !(obj ? writeObj(path, mesh) : writeMesh(path, mesh))) {
        std::fprintf(stderr, "korvalin-genmesh: cannot write %s\n", path);
        return 1;
    }
    std::printf("%s: %d groups, %d vertices, %d triangles\n", path, groupCount, benchVertexCount,
                benchTriangleCount);
    return 0;
}

int writeSampleFolder(const char* folder) {
    if (!writeSamples(folder)) {
        std::fprintf(stderr, "korvalin-genmesh: cannot write the samples into %s\n", folder);
        return 1;
    }
    std::printf("%s: hull.msh, cube.msh, torus.msh and their textures\n", folder);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--samples") == 0) return writeSampleFolder(argv[2]);
    if (argc < 3 || std::strcmp(argv[1], "--bench") != 0) return usage();
    int groupCount = defaultBenchGroups;
    if (argc == 5 && std::strcmp(argv[3], "--groups") == 0) {
        if (!parseGroupCount(argv[4], groupCount)) return usage();
    } else if (argc != 3) {
        return usage();
    }
    return writeBench(argv[2], groupCount);
}
