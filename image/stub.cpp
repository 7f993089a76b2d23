// Placeholder until the loaders land; keeps the viewer linking.
#include "image/image.h"
#include "image/texture_set.h"

unsigned char imageErrorPopups = 1;
void setImageErrorPopups(unsigned char flag) { imageErrorPopups = flag; }
ImageRGB* loadDibImage(const char*) { return nullptr; }
ImageRGB* loadDibImageW(const wchar_t*) { return nullptr; }
void readBmp(const char*, ImageRGB*) {}
ImageRGB* loadRgbImage(const char*) { return nullptr; }
ImageRGB* loadRgbImageW(const wchar_t*) { return nullptr; }
ImageRGB* loadImageIfExists(const char*) { return nullptr; }
ImageRGB skyImage = {};
ImageRGB* textureListImages[17] = {};
void loadTextures() {}
void compileTextureLists() {}
