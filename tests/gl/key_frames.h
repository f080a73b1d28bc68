#pragma once

// For the tests of what the viewer's keys draw: whole frames read back, the samples loaded as
// the viewer loads them, and what a frame shows.
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"

#include <GL/gl.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba; // rows from the bottom
    bool operator==(const Frame&) const = default;
    const unsigned char* at(int x, int y) const { return &rgba[(y * width + x) * 4]; }
    bool lit(int x, int y) const { return at(x, y)[0] || at(x, y)[1] || at(x, y)[2]; }
};

inline Frame readFrame(int width, int height) {
    Frame frame{width, height, std::vector<unsigned char>(std::size_t(width) * height * 4)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame.rgba.data());
    return frame;
}

// The smallest rectangle holding every pixel that is not black; empty when none is.
struct LitBox {
    int left = 1 << 30, bottom = 1 << 30, right = -1, top = -1; // inclusive
    bool empty() const { return right < 0; }
    int width() const { return right - left + 1; }
    int height() const { return top - bottom + 1; }
};

inline LitBox litBox(const Frame& frame) {
    LitBox box;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            if (frame.lit(x, y)) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.bottom = std::min(box.bottom, y);
                box.top = std::max(box.top, y);
            }
    return box;
}

inline int distinctColours(const Frame& frame) {
    std::set<unsigned> colours;
    for (std::size_t i = 0; i < frame.rgba.size(); i += 4)
        colours.insert(frame.rgba[i] << 16 | frame.rgba[i + 1] << 8 | frame.rgba[i + 2]);
    return static_cast<int>(colours.size());
}

// A sample mesh with its images, as `--textures samples` loads it.
inline bool loadSample(const std::string& name) {
    meshScene.releaseMesh();
    meshScene.setTexturesDirectory(KORVALIN_SAMPLES_DIR);
    return loadMesh((std::string(KORVALIN_SAMPLES_DIR) + "/" + name).c_str());
}
