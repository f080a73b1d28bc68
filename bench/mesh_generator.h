#pragma once

#include <array>
#include <string>
#include <vector>

// In-memory description of a mesh file and its writer.
//
// Winding rule for every shape built here: (b - a) x (c - a) points along the outward normal,
// that is, seen from outside the corners run counter-clockwise when x,y,z is read as a
// right-handed frame. The viewer reads the frame as left-handed with y up (it exchanges y and z
// and culls with clockwise front faces), so on screen these corners run clockwise and the faces
// are drawn. Texture v = 0 is the image's first (top) row, as the viewer's loader maps it.

struct GenVertex {
    float position[3] = {};
    float normal[3] = {};
    float uv[2] = {};
};

using GenTriangle = std::array<int, 3>;

struct GenGroup {
    std::string label;                   // empty: no LABEL line
    int material = -1;                   // -1: no MATERIAL line (previous group's material)
    int texture = 0;                     // 0: no TEXTURE line
    std::vector<std::string> extraLines; // TEXWRAP, NONORMAL, STATIC, FLAG n, written as given
    std::vector<GenVertex> vertices;
    std::vector<GenTriangle> triangles;
};

struct GenMaterial {
    std::string name;
    bool writeHeader = true; // the optional "MATERIAL name" line before the colours
    float diffuse[4] = {1, 1, 1, 1};
    float ambient[4] = {1, 1, 1, 1};
    float specular[4] = {0, 0, 0, 1};
    float power = 0; // written after the specular colour when not zero
    float emissive[4] = {0, 0, 0, 1};
};

struct GenMesh {
    std::vector<GenGroup> groups;
    std::vector<GenMaterial> materials;
    std::vector<std::string> textures; // file names relative to the textures folder
};

// Longest line the format allows, without the line end.
constexpr std::size_t maxLineLength = 255;

// Writes mesh to path with LF line ends and numbers as printf's %g writes them. Empty sections
// are left out. False when a text field would break the line limit or contains a line end, an
// index is out of its group's range, or the file cannot be written.
bool writeMesh(const char* path, const GenMesh& mesh);

// Appends value as printf("%g") would, without a separator.
void appendNumber(std::string& out, float value);
// Appends count values that way, one space between two.
void appendNumbers(std::string& out, const float* values, int count);
