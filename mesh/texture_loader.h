#pragma once

#include <string>
#include <vector>

// Loads the image at imagePath as GL texture name textureName (entry k of a mesh's texture
// list is always name k). Needs a current GL context. False when the image library is too old
// or the image cannot be read or converted; the name then stays without an image.
bool loadTexture(const char* imagePath, unsigned textureName);

// Loads each image of a texture list as its GL texture name (imagePaths[i] as names[i]), as
// loadTexture would one by one; the images are decoded while earlier ones are uploaded.
void loadTextures(const std::vector<std::string>& imagePaths, const std::vector<unsigned>& names);

// The oldest image library accepted reports this version number (release 1.7.8).
constexpr int minimumImageLibraryVersion = 178;
