// A real GLUT window for the viewer's callbacks to act on, with a display
// callback that counts the frames GLUT draws.
#pragma once

#include <array>
#include <functional>

// Opens a small window (initialising GLUT if needed), lets it be mapped and
// drawn, and removes any idle callback.
void openTestWindow();

// Frames GLUT draws while handling the events that fn leaves pending.
int redisplaysCausedBy(const std::function<void()>& fn);

// Whether the animation clock is GLUT's idle callback right now.
bool clockInstalled();

// Puts every viewer global back to the value it has when the program starts.
void resetViewerState();

// The 22 animation angles, in the order the clock advances them.
std::array<float*, 22> animationAngles();
