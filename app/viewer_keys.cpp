#include "app/viewer_keys.h"

#include "app/mesh_files.h"
#include "app/screenshot.h"
#include "app/status_text.h"
#include "app/viewer_state.h"
#include "platform/platform_services.h"
#include "platform/virtual_keys.h"
#include "platform/window_messages.h"
#include "render/mouse_orbit.h"
#include "render/shading.h"
#include "render/view_fit.h"
#include "render/viewport.h"
#include "resources/keys_text.h"

namespace {

// An arrow key turns as a drag over this many pixels would.
constexpr int arrowTurnPixels = 10;

bool fullScreen = false;

void repaint(WindowHandle window) {
    platformServices().sendMessage(window, WM_PAINT, 0, 0);
}

void toggleShading(WindowHandle window) {
    setShading(!shadingOn());
    showStatus(shadingOn() ? "shading on" : "shading off");
    repaint(window);
}

void resetToStart(WindowHandle window) {
    resetView();
    repaint(window);
}

// Framed in the window as it is: the start-up viewport, taller than the client area below a
// menu bar, would centre the model too high and cut its top.
void fitModel(WindowHandle window) {
    if (clientAreaWidth > 0 && clientAreaHeight > 0 &&
        (clientAreaWidth != windowWidth || clientAreaHeight != windowHeight))
        resizeViewport(clientAreaWidth, clientAreaHeight);
    if (!fitView(windowWidth, windowHeight)) showStatus("Nothing to fit");
    repaint(window);
}

void turnLeft(WindowHandle window) {
    turnBy(-arrowTurnPixels, 0);
    repaint(window);
}

void turnRight(WindowHandle window) {
    turnBy(arrowTurnPixels, 0);
    repaint(window);
}

void turnUp(WindowHandle window) {
    turnBy(0, -arrowTurnPixels);
    repaint(window);
}

void turnDown(WindowHandle window) {
    turnBy(0, arrowTurnPixels);
    repaint(window);
}

void moveNearer(WindowHandle window) {
    zoomBy(1);
    repaint(window);
}

void moveFarther(WindowHandle window) {
    zoomBy(-1);
    repaint(window);
}

void showNextMesh(WindowHandle window) {
    showNeighbourMesh(window, 1);
}

void showPreviousMesh(WindowHandle window) {
    showNeighbourMesh(window, -1);
}

// The new size arrives as WM_SIZE, and the frame for it with the paint that follows.
void toggleFullScreen(WindowHandle window) {
    if (platformServices().setFullScreen(window, !fullScreen)) fullScreen = !fullScreen;
}

void showKeys(WindowHandle window) {
    platformServices().messageBox(window, keysText, "Korvalin keys", MB_OK | MB_ICONINFORMATION);
}

struct KeyAction {
    unsigned key;
    void (*act)(WindowHandle window);
};

constexpr KeyAction keyActions[] = {
    {'L', toggleShading},
    {VK_HOME, resetToStart},
    {VK_RETURN, resetToStart},
    {'F', fitModel},
    {VK_F12, takeScreenshot},
    {VK_F5, reloadShownMesh},
    {VK_NEXT, showNextMesh},
    {VK_PRIOR, showPreviousMesh},
    {VK_LEFT, turnLeft},
    {VK_RIGHT, turnRight},
    {VK_UP, turnUp},
    {VK_DOWN, turnDown},
    {VK_OEM_PLUS, moveNearer},
    {VK_ADD, moveNearer},
    {VK_OEM_MINUS, moveFarther},
    {VK_SUBTRACT, moveFarther},
    {VK_F11, toggleFullScreen},
    {VK_F1, showKeys},
    {'H', showKeys},
};

} // namespace

bool handleViewerKey(WindowHandle window, unsigned virtualKey) {
    for (const KeyAction& action : keyActions) {
        if (action.key != virtualKey) continue;
        action.act(window);
        return true;
    }
    return false;
}
