// What is drawn over the scene: the names of the bodies (or a close-up's
// title), the status line, the help panel and the short notice.
#pragma once

#include <string>
#include <utility>
#include <vector>

// The short notice shown in the window ("" for none), e.g. after a
// screenshot; it goes away by itself after two seconds.
extern std::string noticeText;
void showNotice(const std::string& text);

// Draws the help panel, the names, the status line and the notice over the
// frame; registered as the renderer's frameOverlay.  Issues no OpenGL call
// when there is nothing to show.
void drawOverlays();

// The credits the help panel lists below the controls: for each body whose
// picture is made from a real map, its name and its map's credit (author
// and licence), both in the chosen language, Sun to Pluto (creditLines,
// core/texts.h).
std::vector<std::pair<std::string, std::string>> mapCreditLines();

// Draws the frame again without the notice and reads it back from the back
// buffer: width x height RGB pixels, top row first (for screenshots).
void readScreenshotPixels(int width, int height, unsigned char* rgbTopFirst);
