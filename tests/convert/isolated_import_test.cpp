// The scene that comes from the importer's child process, and the limits it runs under: real
// models (Debian's assimp test models) give the converter the same .msh text and notes after
// the trip through bytes as straight from the importer.
#include "tests/support/temp_folder.h"
#include "tools/convert/import_textures.h"
#include "tools/convert/isolated_import.h"
#include "tools/convert/msh_writer.h"
#include "tools/convert/notes.h"
#include "tools/convert/output_files.h"
#include "tools/convert/scene_to_msh.h"
#include "tools/convert/scene_transfer.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string models = "/usr/share/assimp/models/";

std::string streamText(std::FILE* stream) {
    std::string text;
    std::rewind(stream);
    for (int c; (c = std::fgetc(stream)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(stream);
    return text;
}

// What the converter makes of a scene: the .msh text, then its notes (or its error).
std::string converted(const aiScene& scene, const std::string& input, const TempFolder& folder) {
    std::FILE* noteStream = std::tmpfile();
    std::FILE* text = std::tmpfile();
    std::string error;
    {
        Notes notes(noteStream);
        OutputFiles files;
        ImportTextures textures(scene, input, folder.file("out.msh"), files, notes);
        MshModel model;
        if (sceneToMsh(scene, textures, notes, model, error)) writeMsh(text, model);
        notes.flush();
    }
    return streamText(text) + "--\n" + streamText(noteStream) + error;
}

std::vector<unsigned char> bytesOf(const aiScene& scene) {
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(writeScene(scene, [&bytes](const void* data, std::size_t size) {
        bytes.insert(bytes.end(), static_cast<const unsigned char*>(data),
                     static_cast<const unsigned char*>(data) + size);
        return true;
    }));
    return bytes;
}

std::unique_ptr<aiScene> sceneOf(const std::vector<unsigned char>& bytes, std::size_t length) {
    std::size_t at = 0;
    return readScene(
        [&](void* data, std::size_t size) {
            if (size > length - at) return false;
            std::memcpy(data, bytes.data() + at, size);
            at += size;
            return true;
        },
        std::size_t{1} << 30);
}

constexpr unsigned steps = aiProcess_Triangulate | aiProcess_SortByPType |
                           aiProcess_GenSmoothNormals | aiProcess_GenUVCoords |
                           aiProcess_TransformUVCoords | aiProcess_ValidateDataStructure;

} // namespace

TEST(ConvertSceneTransfer, GivesTheConverterWhatTheImporterGave) {
    if (!fs::exists(models)) GTEST_SKIP() << "assimp-testmodels is not installed";
    // Materials and image files (OBJ, 3DS), embedded images (GLB, FBX), axes in metadata (FBX),
    // node trees (COLLADA, X), colours (PLY), bones and animation (MD5, FBX), lines (STL).
    const char* cases[] = {"OBJ/spider.obj",
                           "3DS/cube_with_diffuse_texture.3DS",
                           "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb",
                           "FBX/box_orphant_embedded_texture.fbx",
                           "FBX/spider.fbx",
                           "FBX/global_settings.fbx",
                           "Collada/duck.dae",
                           "Collada/lights.dae",
                           "X/test.x",
                           "PLY/float-color.ply",
                           "X/test_cube_compressed.x",
                           "MD5/SimpleCube.md5mesh",
                           "STL/Spider_ascii.stl",
                           "BLEND/box.blend",
                           "3MF/box.3mf"};
    TempFolder folder;
    for (const char* name : cases) {
        SCOPED_TRACE(name);
        const std::string input = models + name;
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(input, steps);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        const std::vector<unsigned char> bytes = bytesOf(*scene);
        std::unique_ptr<aiScene> transferred = sceneOf(bytes, bytes.size());
        ASSERT_NE(transferred, nullptr);
        EXPECT_EQ(converted(*transferred, input, folder), converted(*scene, input, folder));
        // Written again, the scene gives the same bytes: nothing got lost on the way back.
        EXPECT_EQ(bytesOf(*transferred), bytes);
    }
}

TEST(ConvertSceneTransfer, BytesCutShortGiveNoScene) {
    if (!fs::exists(models)) GTEST_SKIP() << "assimp-testmodels is not installed";
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(models + "FBX/spider.fbx", steps);
    ASSERT_NE(scene, nullptr);
    const std::vector<unsigned char> bytes = bytesOf(*scene);
    // Cuts everywhere in the first bytes (nodes, metadata), then spread over the rest.
    for (std::size_t length = 0; length < bytes.size(); length += length < 4096 ? 1 : 997)
        EXPECT_EQ(sceneOf(bytes, length), nullptr) << length << " of " << bytes.size();
}

TEST(ConvertImportLimits, GrowWithTheInputAndTheFilesItReadsAndYieldToTheEnvironment) {
    TempFolder folder;
    const std::string input = folder.write("model.gltf", std::string(1000000, ' '));
    const ImportLimits alone = importLimitsFor(input);
    EXPECT_GE(alone.memoryBytes, std::size_t{512} << 20);
    EXPECT_GE(alone.seconds, 60);
    // Images beside it are not read by the importer; a buffer is.
    folder.write("photo.png", std::string(4000000, 'x'));
    EXPECT_EQ(importLimitsFor(input).memoryBytes, alone.memoryBytes);
    folder.write("model.bin", std::string(4000000, 'x'));
    const ImportLimits withBuffer = importLimitsFor(input);
    EXPECT_GE(withBuffer.memoryBytes, alone.memoryBytes + std::size_t{4000000} * 10);
    EXPECT_GT(withBuffer.seconds, alone.seconds);

    setenv("KORVALIN_IMPORT_MEGABYTES", "100", 1);
    setenv("KORVALIN_IMPORT_SECONDS", "3", 1);
    const ImportLimits given = importLimitsFor(input);
    unsetenv("KORVALIN_IMPORT_MEGABYTES");
    unsetenv("KORVALIN_IMPORT_SECONDS");
    EXPECT_EQ(given.memoryBytes, std::size_t{100} << 20);
    EXPECT_EQ(given.seconds, 3);
}
