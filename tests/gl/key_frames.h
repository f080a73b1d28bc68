#pragma once

// For the tests of what the viewer's keys draw: whole frames read back and the samples loaded
// as `--textures samples` loads them.
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba; // rows from the bottom
    bool operator==(const Frame&) const = default;
    const unsigned char* at(int x, int y) const { return &rgba[(y * width + x) * 4]; }
};

inline Frame readFrame(int width, int height) {
    Frame frame{width, height, std::vector<unsigned char>(std::size_t(width) * height * 4)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame.rgba.data());
    return frame;
}

// Left, bottom, right and top of the pixels that are not black; right < 0 when none is.
inline std::array<int, 4> litBox(const Frame& f) {
    std::array<int, 4> box{f.width, f.height, -1, -1};
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            if (f.at(x, y)[0] || f.at(x, y)[1] || f.at(x, y)[2])
                box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x),
                       std::max(box[3], y)};
    return box;
}

inline int distinctColours(const Frame& f) {
    std::set<unsigned> colours;
    for (std::size_t i = 0; i < f.rgba.size(); i += 4)
        colours.insert(f.rgba[i] << 16 | f.rgba[i + 1] << 8 | f.rgba[i + 2]);
    return static_cast<int>(colours.size());
}

inline bool loadSample(const std::string& name) {
    meshScene.releaseMesh();
    meshScene.setTexturesDirectory(KORVALIN_SAMPLES_DIR);
    return loadMesh((std::string(KORVALIN_SAMPLES_DIR) + "/" + name).c_str());
}
