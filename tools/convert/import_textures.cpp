#include "tools/convert/import_textures.h"

#include "mesh/texture_path.h"
#include "tools/convert/image_origin.h"
#include "tools/convert/names.h"

#include <IL/il.h>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool exists(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// The path of the file that path names, or of the one whose name differs only in the case of
// its letters (models made on Windows name TEST.PNG for test.png); empty when neither exists.
std::string existingFile(const fs::path& path) {
    std::string text = path.string();
    std::vector<char> buffer(text.begin(), text.end());
    buffer.resize(text.size() + 256, '\0');
    resolveImageFileCase(buffer.data(), buffer.size());
    std::string resolved(buffer.data());
    return exists(resolved) ? resolved : std::string();
}

// References that name no image: empty, a folder, or a name an importer made up for a texture
// it has not got ("$texture_dummy.bmp").
bool namesNoImage(const std::string& path, const std::string& inputFolder) {
    if (path.empty() || path.back() == '/') return true;
    const std::string file = fs::path(path).filename().string();
    if (file.empty() || file == "." || file == ".." || file[0] == '$') return true;
    std::error_code error;
    const fs::path given(path);
    return fs::is_directory(given.is_absolute() ? given : fs::path(inputFolder) / given, error);
}

// The extension of an embedded image, from assimp's hint or the image's first bytes.
std::string embeddedExtension(const aiTexture& texture) {
    if (texture.mHeight > 0) return "png"; // raw texels: written as PNG
    std::string hint;
    for (const char* c = texture.achFormatHint; *c && hint.size() < 8; ++c)
        if ((*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9'))
            hint += *c;
        else if (*c >= 'A' && *c <= 'Z')
            hint += static_cast<char>(*c - 'A' + 'a');
    if (!hint.empty()) return hint == "jpeg" ? "jpg" : hint;
    const auto* bytes = reinterpret_cast<const unsigned char*>(texture.pcData);
    if (texture.mWidth >= 4 && std::memcmp(bytes, "\x89PNG", 4) == 0) return "png";
    if (texture.mWidth >= 2 && bytes[0] == 0xff && bytes[1] == 0xd8) return "jpg";
    return "img";
}

// Raw texels (assimp's BGRA, top row first) as a PNG, through the image library.
bool writeTexelsAsPng(const aiTexture& texture, std::FILE* out) {
    static const bool initialised = (ilInit(), true);
    (void)initialised;
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    std::vector<unsigned char> pixels(reinterpret_cast<const unsigned char*>(texture.pcData),
                                      reinterpret_cast<const unsigned char*>(texture.pcData) +
                                          std::size_t{texture.mWidth} * texture.mHeight * 4);
    bool saved = false;
    if (ilTexImage(texture.mWidth, texture.mHeight, 1, 4, IL_BGRA, IL_UNSIGNED_BYTE,
                   pixels.data())) {
        ilRegisterOrigin(IL_ORIGIN_UPPER_LEFT); // the first row given is the top row
        saved = ilSaveF(IL_PNG, out) > 0;
    }
    ilDeleteImages(1, &image);
    return saved;
}

} // namespace

std::string ImportTextures::embeddedFileName(const aiTexture& texture, std::size_t index) const {
    std::string extension = embeddedExtension(texture);
    std::string own = fs::path(texture.mFilename.C_Str()).filename().replace_extension().string();
    if (own.empty() || own[0] == '*') own = "texture" + std::to_string(index);
    std::string name = stemOf(outputPath) + "_" + own;
    name = mshWord(name, longestMshWord - extension.size() - 1, "texture") + "." + extension;
    // Two images of the same name get their numbers.
    for (const std::string& taken : textureNames)
        if (taken == name) {
            name = mshWord(stemOf(outputPath) + "_texture" + std::to_string(index),
                           longestMshWord - extension.size() - 1, "texture") +
                   "." + extension;
            break;
        }
    return name;
}

bool ImportTextures::writeEmbedded(const aiTexture& texture, std::size_t index, std::string& name,
                                   std::string& imagePath) {
    name = embeddedFileName(texture, index);
    const std::string target = (fs::path(folderOf(outputPath)) / name).string();
    std::FILE* out = files.open(target);
    if (!out) {
        problem = files.error();
        return false;
    }
    bool written = texture.mHeight > 0
                       ? writeTexelsAsPng(texture, out)
                       : std::fwrite(texture.pcData, 1, texture.mWidth, out) == texture.mWidth;
    if (!written) files.failed(out, 0);
    if (!files.close(out)) {
        problem = files.error();
        return false;
    }
    imagePath = files.temporaryOf(target);
    return true;
}

// The image file a reference names: relative to IN's folder (or absolute), else the bare name
// in IN's folder (models made elsewhere often keep the author's paths). Empty: not found.
std::string ImportTextures::findExternal(const std::string& reference) const {
    fs::path given(reference);
    fs::path inputFolder(folderOf(inputPath));
    std::string found = existingFile(given.is_absolute() ? given : inputFolder / given);
    if (found.empty()) found = existingFile(inputFolder / given.filename());
    return found;
}

int ImportTextures::add(const std::string& name, const std::string& imagePath) {
    for (std::size_t i = 0; i < textureNames.size(); ++i)
        if (textureNames[i] == name) return static_cast<int>(i) + 1;
    textureNames.push_back(name);
    imagePaths.push_back(imagePath);
    return static_cast<int>(textureNames.size());
}

bool ImportTextures::numberFor(const aiString& referenceText, int& number) {
    const std::string reference = referenceText.C_Str();
    for (std::size_t i = 0; i < references.size(); ++i)
        if (references[i] == reference) {
            number = referenceNumbers[i];
            return true;
        }
    std::string name;
    std::string imagePath;
    std::size_t embeddedIndex = scene.mNumTextures;
    if (const aiTexture* embedded = scene.GetEmbeddedTexture(reference.c_str())) {
        embeddedIndex = static_cast<std::size_t>(
            std::find(scene.mTextures, scene.mTextures + scene.mNumTextures, embedded) -
            scene.mTextures);
        if (!writtenEmbedded.count(embeddedIndex) &&
            !writeEmbedded(*embedded, embeddedIndex, name, imagePath))
            return false;
    } else if (!nameExternal(reference, name, imagePath)) {
        number = 0;
        remember(reference, number);
        return true;
    }
    if (writtenEmbedded.count(embeddedIndex)) {
        number = writtenEmbedded[embeddedIndex];
    } else if (fitsMshTextureName(name)) {
        number = add(name, imagePath);
    } else {
        number = 0;
        notes.say("texture " + name +
                  " left out: a .msh texture name is one word of at most 255 characters");
    }
    if (embeddedIndex < scene.mNumTextures) writtenEmbedded[embeddedIndex] = number;
    remember(reference, number);
    return true;
}

bool ImportTextures::nameExternal(const std::string& reference, std::string& name,
                                  std::string& imagePath) {
    std::string path = reference;
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.rfind("file://", 0) == 0) path.erase(0, 7);
    if (namesNoImage(path, folderOf(inputPath))) {
        if (!path.empty())
            notes.say("left out: texture references that name no image file (" + path + ")");
        return false;
    }
    imagePath = findExternal(path);
    if (imagePath.empty()) {
        notes.say("texture " + path + " not found beside " + inputPath +
                  "; named as the model names it");
        imagePath = (fs::path(folderOf(inputPath)) / path).string();
    }
    name = pathRelativeTo(imagePath, folderOf(outputPath));
    return true;
}

void ImportTextures::remember(const std::string& reference, int number) {
    references.push_back(reference);
    referenceNumbers.push_back(number);
}

std::vector<bool> ImportTextures::rowOrders() const {
    return imagesDeliveredTopRowFirst(imagePaths);
}
