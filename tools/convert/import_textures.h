#pragma once

#include "tools/convert/notes.h"
#include "tools/convert/output_files.h"

#include <assimp/scene.h>

#include <map>
#include <string>
#include <vector>

// The texture list of a .msh file made from an assimp scene. A material's diffuse texture
// becomes an entry named relative to OUT's folder: an image file of the model's is found
// beside IN (as its reference says, or by its bare name there, the case of its letters
// aside) and named where it is;
// an image embedded in the model (GLB) is written beside OUT as OUT's name, '_' and the
// image's own name or number. A name the reader could not take whole (blanks, more than
// 255 characters) leaves the texture out, with a note.
class ImportTextures {
  public:
    ImportTextures(const aiScene& importedScene, const std::string& inPath,
                   const std::string& outPath, OutputFiles& outputFiles, Notes& conversionNotes)
        : scene(importedScene), inputPath(inPath), outputPath(outPath), files(outputFiles),
          notes(conversionNotes) {}

    // The texture number (1 up) for a material's texture reference; 0 when it is left out.
    // False when an embedded image cannot be written.
    bool numberFor(const aiString& reference, int& number);
    // Whether each texture's image is delivered top row first (frame.h), by number - 1.
    std::vector<bool> rowOrders() const;

    const std::vector<std::string>& names() const { return textureNames; }
    const std::string& error() const { return problem; }

  private:
    bool writeEmbedded(const aiTexture& texture, std::size_t index, std::string& name,
                       std::string& imagePath);
    std::string embeddedFileName(const aiTexture& texture, std::size_t index) const;
    std::string findExternal(const std::string& reference) const;
    // The .msh name and image path of an image file the model refers to; false when the
    // reference names no image (empty, a folder, an importer's placeholder).
    bool nameExternal(const std::string& reference, std::string& name, std::string& imagePath);
    void remember(const std::string& reference, int number);
    int add(const std::string& name, const std::string& imagePath);

    const aiScene& scene;
    std::string inputPath;
    std::string outputPath;
    OutputFiles& files;
    Notes& notes;
    std::vector<std::string> textureNames;
    std::vector<std::string> imagePaths; // where each image can be read now
    std::vector<std::string> references;
    std::vector<int> referenceNumbers;
    std::map<std::size_t, int> writtenEmbedded; // scene texture index, number
    std::string problem;
};
