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

// How long one texture list's decoding may take in all (10 s unless set); what is left when it
// is spent stays without images. Decoded images of one list may together take a quarter of the
// machine's memory.
void setTextureDecodingTime(int milliseconds);

// Asked to make a GL context current before a non-empty texture list is loaded, by a program
// that makes one only when it is needed (a tool reading a mesh without images needs none).
// False leaves the list's names without images. No hook: a context must already be current.
using TextureContextHook = bool (*)();
void setTextureContextHook(TextureContextHook hook);

// The oldest image library accepted reports this version number (release 1.7.8).
constexpr int minimumImageLibraryVersion = 178;
