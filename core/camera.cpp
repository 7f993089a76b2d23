#include "core/camera.h"

#include <cmath>

#include "core/viewer_state.h"

void updateCamera(int key)
{
    const double h = heading;
    if (key == CORE_KEY_UP) {
        eyeZ = static_cast<float>(eyeZ - std::cos(h) * moveStep);
        eyeX = static_cast<float>(eyeX + std::sin(h) * moveStep);
    } else if (key == CORE_KEY_DOWN) {
        eyeZ = static_cast<float>(eyeZ + std::cos(h) * moveStep);
        eyeX = static_cast<float>(eyeX - std::sin(h) * moveStep);
    }
    // The look-at point stays one unit ahead of the eye along the heading.
    centerZ = static_cast<float>(eyeZ - std::cos(h));
    centerX = static_cast<float>(eyeX + std::sin(h));
}

void turnCamera(int key)
{
    if (key == CORE_KEY_LEFT)
        heading = static_cast<float>(static_cast<double>(heading) - turnStep);
    else
        heading = static_cast<float>(static_cast<double>(heading) + turnStep);
    updateCamera(key);
}

void resetCamera()
{
    eyeZ = 50.0f;
    updateCamera(0);
}

void dragPress(int x, int y)
{
    mouseState = CORE_BUTTON_HELD;
    mouseButton = CORE_BUTTON_LEFT;
    mouseLastX = x;
    mouseLastY = y;
}

void dragRelease() { mouseState = -1; }

bool dragTo(int x, int y)
{
    if (mouseButton != CORE_BUTTON_LEFT || mouseState != CORE_BUTTON_HELD)
        return false;
    // One degree per pixel: dragging right or down turns the scene further.
    constexpr double sensitivity = 1.0;
    viewRotY = static_cast<float>(viewRotY - (mouseLastX - x) / sensitivity);
    viewRotX = static_cast<float>(viewRotX - (mouseLastY - y) / sensitivity);
    mouseLastX = x;
    mouseLastY = y;
    return true;
}
