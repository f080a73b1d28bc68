#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>

// Builds the image path of a texture entry: directory, the system's separator, name, with the
// name's characters as the system reads them ('\' is '/' on Linux, for meshes made on Windows).
// False when the path does not fit pathSize; nothing is cut.
bool buildTexturePath(const char* directory, const char* name, char* path, std::size_t pathSize);

// Finds files under their exact name or, on a file system that tells case apart, under a name
// that differs only in the case of ASCII letters (meshes made on Windows). Each folder is
// listed at most once, however many names are looked up in it.
class FolderListings {
  public:
    // True when path names an existing file, or a file of its folder whose name differs only
    // in case; that file's path is then written in its place. False leaves path as it was.
    bool find(char* path, std::size_t pathSize);

  private:
    struct Listing {
        std::unordered_set<std::string> names;
        std::unordered_map<std::string, std::string> byLowerCase; // the first spelling found
        bool complete = false; // read to its end: it answers for the folder
    };
    const Listing& listing(const std::string& folder);

    std::unordered_map<std::string, Listing> folders;
};

// On a file system that tells case apart: when path names no existing file, looks in its folder
// for a file whose name differs only in the case of ASCII letters and writes that path in its
// place (if it fits). Elsewhere the file system's own rules find the file.
void resolveImageFileCase(char* path, std::size_t pathSize);

// Where the images of one mesh's texture list are: the textures folder first, then the folder
// of the mesh file itself, so that a model opened from anywhere finds the images beside it.
class TextureImageFinder {
  public:
    TextureImageFinder(const char* texturesFolder, const char* meshPath);

    // The image path of a texture entry: the first place that holds the file; when none does,
    // the path in the textures folder. False when no path that could be used fits pathSize.
    bool find(const char* name, char* path, std::size_t pathSize);

  private:
    std::string texturesDir;
    std::string meshFolder;
    FolderListings listings;
};
