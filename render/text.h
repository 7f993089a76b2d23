// Text over the scene: UTF-8 strings in a font that has Hangul and Latin
// (chosen by fontconfig), drawn as textured quads from a glyph atlas in an
// orthographic overlay.  OpenGL 1.1 only.
//
// Every glyph is rasterised once, the first time it is drawn at a size,
// into an alpha texture; later frames only draw quads.  Coordinates are
// window pixels with the origin at the top-left corner, y growing downwards.
#pragma once

#include <string>

// Whether a font was found.  The first call asks fontconfig; without a font
// the drawing calls do nothing.
bool textAvailable();
// The font file in use and its face index ("" when none).
const std::string& textFontFile();
int textFontIndex();

// Width in pixels of a line of UTF-8 text at a pixel size.
int textWidth(const std::string& utf8, int pixelSize);
// Distance from a line's top to its baseline, and from one baseline to the
// next, at a pixel size.
int textAscent(int pixelSize);
int textLineHeight(int pixelSize);

// Brackets overlay drawing: saves every OpenGL state the overlay changes
// (attributes, pixel store, both matrices and the matrix mode) and sets an
// orthographic projection of the window's pixels; endOverlay restores them,
// so the scene drawn after it is unchanged.
void beginOverlay(int windowWidth, int windowHeight);
void endOverlay();

// Between beginOverlay and endOverlay: a dark, partly transparent rectangle
// to keep text legible over the sky, and a line of text whose top-left
// corner is at (x, y).  Colours are red, green, blue (and alpha) from 0 to 1.
void drawBacking(int x, int y, int width, int height, float alpha = 0.65f);
void drawText(const std::string& utf8, int x, int y, int pixelSize, const float rgb[3]);

// Decodes UTF-8; an ill-formed sequence yields U+FFFD and decoding goes on
// with the next byte.
std::u32string decodeUtf8(const std::string& utf8);
