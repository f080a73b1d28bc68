#pragma once

#include "tools/convert/notes.h"

#include <cstddef>
#include <string>
#include <string_view>

// The longest word the reader keeps: a 256-character field holds 255 characters.
constexpr std::size_t longestMshWord = 255;

// A group's label and a material's name are written after a keyword on the same line, and
// leave room for it.
constexpr std::string_view labelLineStart = "LABEL ";
constexpr std::string_view materialLineStart = "MATERIAL ";
constexpr std::size_t longestGroupLabel = longestMshWord - labelLineStart.size();
constexpr std::size_t longestMaterialName = longestMshWord - materialLineStart.size();

// A name made into one word the .msh reader reads whole: blanks and control characters become
// '_', anything past maxLength is cut, and an empty name becomes fallback.
std::string mshWord(const std::string& name, std::size_t maxLength, const std::string& fallback);

// Says once in `notes` that names of this kind ("material", "group") were cut or had blanks
// replaced, when `written` differs from `given`.
void noteChangedName(const std::string& given, const std::string& written, const char* kind,
                     Notes& notes);

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

// Error texts on one line: messages of other libraries may hold line breaks.
std::string oneLine(std::string text);
