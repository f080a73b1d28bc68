#pragma once

#include <cstddef>
#include <string>

// The longest word the reader keeps: a 256-character field holds 255 characters.
constexpr std::size_t longestMshWord = 255;

// A name made into one word the .msh reader reads whole: blanks and control characters become
// '_', anything past maxLength is cut, and an empty name becomes fallback.
std::string mshWord(const std::string& name, std::size_t maxLength, const std::string& fallback);

// A texture name the reader takes whole: one word of at most 255 characters.
bool fitsMshTextureName(const std::string& name);

// The path of file as seen from folder ("../images/a.png"), both taken as absolute paths,
// without following links. '/' separated.
std::string pathRelativeTo(const std::string& file, const std::string& folder);

// The folder a path lies in ("." for a bare name).
std::string folderOf(const std::string& path);
// The last part of a path, without its extension ("model" for "a/model.msh").
std::string stemOf(const std::string& path);

// Taken out of a .msh file, a material that groups use with several textures becomes one
// material for each texture: the name as it is for the first, "name.tK" for texture K (K = 0:
// none) for the others. Brought back in, equal materials of the same base name are one again.
std::string materialVariantName(const std::string& name, int texture);
std::string materialBaseName(const std::string& name);
