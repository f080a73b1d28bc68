#include "tools/convert/convert.h"

#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "mesh/texture_loader.h"
#include "tools/convert/export_io.h"
#include "tools/convert/import_textures.h"
#include "tools/convert/isolated_import.h"
#include "tools/convert/msh_to_scene.h"
#include "tools/convert/msh_writer.h"
#include "tools/convert/names.h"
#include "tools/convert/output_files.h"
#include "tools/convert/scene_to_msh.h"
#include "tools/convert/startup_view.h"

#include <assimp/Exporter.hpp>
#include <assimp/ProgressHandler.hpp>

#include <cerrno>
#include <cstring>

namespace {

// Where each part of the work ends, as a share of the whole (about its share of the time on
// the benchmark mesh): reading IN, building what is written, writing OUT. Into .msh, assimp's
// reading is the larger part; out of .msh, assimp's exporter is.
constexpr double importRead = 0.5, importBuilt = 0.6;
constexpr double exportRead = 0.15, exportBuilt = 0.2;

// Passes assimp's progress on as a share of one part of the work.
class ProgressRelay : public Assimp::ProgressHandler {
  public:
    explicit ProgressRelay(std::function<void(double)> listener) : onShare(std::move(listener)) {}
    bool Update(float share) override {
        if (share >= 0) onShare(share > 1 ? 1.0 : share);
        return true;
    }
    void UpdateFileWrite(int step, int steps) override {
        if (steps > 0) onShare(static_cast<double>(step) / steps);
    }

  private:
    std::function<void(double)> onShare;
};

// What the reader's false result means, told as korvalin-info tells it.
std::string unreadableMesh(const std::string& path) {
    if (std::FILE* file = std::fopen(path.c_str(), "rb"))
        std::fclose(file);
    else
        return "cannot open " + path + ": " + std::strerror(errno);
    return path + " is not a mesh file (first line not MSHX1, or a count larger than the file)";
}

// Every file written goes in place at once, OUT last.
bool commitOutput(OutputFiles& files, const std::string& outputPath, Progress& progress,
                  std::string& error) {
    if (!files.commit(outputPath)) {
        error = files.error();
        return false;
    }
    progress.finish();
    return true;
}

// IN read into meshScene by the viewer's own reader.
bool loadInput(const ConvertOptions& options, Progress& progress, std::string& error) {
    // Images are looked at by the converter itself, never loaded by the reader: no GL here.
    setTextureContextHook([] { return false; });
    meshScene.setTexturesDirectory("");
    FileReadWatcher watcher;
    if (progress.enabled()) watcher.start(options.inputPath, progress.span(0.0, exportRead));
    const bool loaded = loadMesh(options.inputPath.c_str());
    watcher.stop();
    if (!loaded) error = unreadableMesh(options.inputPath);
    return loaded;
}

MshExport exportSettings(const ConvertOptions& options) {
    MshExport settings;
    settings.format = options.format;
    settings.texturesDir =
        options.texturesDirGiven ? options.texturesDir : folderOf(options.inputPath);
    settings.meshPath = options.inputPath;
    settings.outputPath = options.outputPath;
    return settings;
}

// OUT (and the files beside it) written by assimp's exporter.
bool exportScene(const aiScene& scene, const ConvertOptions& options, Progress& progress,
                 std::string& error) {
    OutputFiles files;
    Assimp::Exporter exporter;
    exporter.SetIOHandler(new ExportFileSystem(files));
    exporter.SetProgressHandler(new ProgressRelay(progress.span(exportBuilt, 1.0)));
    if (exporter.Export(&scene, options.format->assimpId, options.outputPath) != AI_SUCCESS) {
        error = files.error().empty()
                    ? options.outputPath + ": " + oneLine(exporter.GetErrorString())
                    : files.error();
        return false;
    }
    if (!files.holds(options.outputPath)) {
        error = "the exporter wrote no " + options.outputPath;
        return false;
    }
    return commitOutput(files, options.outputPath, progress, error);
}

} // namespace

bool convertIntoMsh(const ConvertOptions& options, Progress& progress, Notes& notes,
                    std::string& error) {
    std::unique_ptr<aiScene> scene =
        importIsolated(options.inputPath, progress.span(0.0, importRead), error);
    if (!scene) return false;
    OutputFiles files;
    ImportTextures textures(*scene, options.inputPath, options.outputPath, files, notes);
    MshModel model;
    if (!sceneToMsh(*scene, textures, notes, model, error)) {
        error = options.inputPath + ": " + error;
        return false;
    }
    scene.reset();
    placeForStartupView(model, options.fit, notes);
    progress.reach(importBuilt);

    std::FILE* out = files.open(options.outputPath);
    if (!out || !writeMsh(out, model, progress.span(importBuilt, 1.0))) {
        if (out) files.failed(out, errno);
        error = files.error();
        return false;
    }
    return commitOutput(files, options.outputPath, progress, error);
}

bool convertFromMsh(const ConvertOptions& options, Progress& progress, Notes& notes,
                    std::string& error) {
    if (!loadInput(options, progress, error)) return false;
    std::unique_ptr<aiScene> scene = mshToScene(exportSettings(options), notes, error);
    if (!scene) {
        error = options.inputPath + ": " + error;
        return false;
    }
    // The scene holds its own copy of the geometry now; the exporter makes one more.
    meshScene.groups.reset();
    meshScene.groupCount = 0;
    progress.reach(exportBuilt);
    return exportScene(*scene, options, progress, error);
}
