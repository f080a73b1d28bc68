#pragma once

// Where to put the eye so that a whole model fills the picture, whatever its size and however far
// from the origin it lies: the thumbnail's camera and the viewer's fit. Arithmetic only, no GL.

class MeshScene;

// An axis-aligned box.
struct ModelBounds {
    double min[3] = {1, 1, 1};
    double max[3] = {0, 0, 0};
    bool empty() const { return !(min[0] <= max[0]); }
    // Widens the box to hold the point; a point with a coordinate that is not finite is left out.
    void include(double x, double y, double z);
};

// The camera's turn: rows of a rotation matrix, as in eye = turn * point.
using ViewTurn = double[3][3];

// The box of the corners that the draw pass sends, as the eye is turned: turn * (x, z, y) for
// the corners of every triangle whose three corners lie in its group's vertices (the others
// are skipped when drawn), the file's second and third coordinates exchanged as the draw pass
// does. Empty when no such corner has finite coordinates.
ModelBounds meshBounds(const MeshScene& scene, const ViewTurn& turn);

// A view of a box given in the eye's axes (x right, y up, looking down -z) for a square
// picture whose half field of view has tangent halfFieldTangent: the shift that moves the box
// in front of the eye (eye = point + shift), the distance from the eye to the box's centre and
// near and far planes that hold it. The box's picture spans framedShare of the picture's width
// or height, whichever it fills more (the rest is the margin), and is centred. False for an
// empty box, and for one too large or too far out for the single precision the GL keeps
// matrices in.
struct ThumbnailFraming {
    double shift[3] = {0, 0, 0};
    double distance = 0;
    double nearPlane = 0;
    double farPlane = 0;
};

constexpr double framedShare = 0.9;

bool frameBounds(const ModelBounds& bounds, double halfFieldTangent, ThumbnailFraming& framing);
