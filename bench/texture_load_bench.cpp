// Load time of meshes that list many small textures or one large one, as loadMesh gives it
// (reading, decoding, uploading), median of several rounds. It uses only loadMesh and the
// headless context, so the same file builds against an earlier revision of the reader for a
// comparison on one machine.
#include "mesh/image_decoder.h"
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "platform/headless/egl_context.h"

#include <IL/il.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

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

// A mesh of one textured triangle whose texture list names the given images.
std::string writeMesh(const std::string& folder, const char* name,
                      const std::vector<std::string>& images) {
    std::string path = folder + "/" + name;
    FILE* file = std::fopen(path.c_str(), "w");
    std::fprintf(file, "MSHX1\nGROUPS 1\nLABEL one\nMATERIAL 1\nTEXTURE 1\nGEOM 3 1\n");
    std::fprintf(file, "0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1 2\n");
    std::fprintf(file, "MATERIALS 1\n1 1 1 1\n1 1 1 1\n1 1 1 1 40\n0 0 0 1\n");
    std::fprintf(file, "TEXTURES %zu\n", images.size());
    for (const std::string& image : images)
        std::fprintf(file, "%s\n", image.c_str());
    std::fclose(file);
    return path;
}

double medianLoadMilliseconds(const std::string& mesh, int roundCount) {
    std::vector<double> rounds;
    for (int round = 0; round < roundCount; ++round) {
        auto started = std::chrono::steady_clock::now();
        if (!loadMesh(mesh.c_str())) std::fprintf(stderr, "failed: %s\n", mesh.c_str());
        rounds.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count());
        meshScene.releaseMesh();
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

} // namespace

// Optional arguments, for profiling one case: "small" or "large", then the number of rounds.
int main(int argc, char** argv) {
    startImageDecoder();
    const std::string only = argc > 1 ? argv[1] : "";
    const int roundCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    char folderTemplate[] = "/tmp/korvalin-texture-bench-XXXXXX";
    if (!mkdtemp(folderTemplate)) return 1;
    const std::string folder = folderTemplate;
    std::vector<std::string> small;
    for (unsigned i = 0; i < 100; ++i) {
        small.push_back("small" + std::to_string(i) + ".png");
        writePng(folder + "/" + small.back(), 64, i);
    }
    writePng(folder + "/large.png", 4096, 7);
    const std::string smallMesh = writeMesh(folder, "small.msh", small);
    const std::string largeMesh = writeMesh(folder, "large.msh", {"large.png"});

    HeadlessGLContext context;
    if (!context.create(64, 64)) return 1;
    meshScene.setTexturesDirectory(folder.c_str());
    if (only != "large")
        std::printf("mesh with 100 textures of 64 x 64: %8.1f ms\n",
                    medianLoadMilliseconds(smallMesh, roundCount));
    if (only != "small")
        std::printf("mesh with 1 texture of 4096 x 4096: %7.1f ms\n",
                    medianLoadMilliseconds(largeMesh, roundCount));
    std::system(("rm -rf " + folder).c_str());
    return 0;
}
