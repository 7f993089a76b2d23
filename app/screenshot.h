// F12: the window's picture as a PNG in the user's pictures folder.
#pragma once

#include <string>

// The window's picture, without the notice, as a PNG into the user's
// pictures folder; prints the path on standard output.  Returns the path,
// or "" when it could not be written (the reason goes to standard error).
std::string takeScreenshot();
// Where takeScreenshot writes: `xdg-user-dir PICTURES`, else $HOME/Pictures,
// else the working directory.
std::string screenshotFolder();
// Writes rows of RGB pixels, top row first, as a PNG; false on failure.
bool writePng(const std::string& path, int width, int height, const unsigned char* rgbTopFirst);
