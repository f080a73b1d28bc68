#pragma once

// Loads the image at imagePath as GL texture name textureName (entry k of a mesh's texture
// list is always name k). Needs a current GL context. False when the image library is too old
// or the image cannot be read or converted; the name then stays without an image.
bool loadTexture(const char* imagePath, unsigned textureName);

// The oldest image library accepted reports this version number (release 1.7.8).
constexpr int minimumImageLibraryVersion = 178;
