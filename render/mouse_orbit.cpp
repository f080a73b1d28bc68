#include "render/mouse_orbit.h"

#include "mesh/mesh_scene.h"
#include "platform/platform_services.h"
#include "render/sensitivity.h"

bool dragging = false;
int lastMouseX = 0;
int lastMouseY = 0;

void beginDrag(WindowHandle window, int x, int y) {
    platformServices().trackMouseLeave(window);
    lastMouseX = x;
    lastMouseY = y;
    dragging = true;
}

void dragTo(int x, int y) {
    int dx = x - lastMouseX;
    int dy = y - lastMouseY;
    lastMouseX = x;
    lastMouseY = y;
    turnBy(dx, dy);
}

void turnBy(int dx, int dy) {
    // Each product is rounded to a float before it is added.
    float turnY = mouseSensitivity * static_cast<float>(dy);
    float turnZ = mouseSensitivity * static_cast<float>(dx);
    meshScene.rotationY = meshScene.rotationY - turnY;
    meshScene.rotationZ = meshScene.rotationZ + turnZ;
}

void endDrag() {
    dragging = false;
}

void zoomBy(int notches) {
    // Worked out exactly (the product fits a double) and rounded to a float once.
    double value = static_cast<double>(meshScene.cameraDistance) -
                   static_cast<double>(notches) * static_cast<double>(zoomSensitivity);
    meshScene.setDistance(static_cast<float>(value));
}
