// The viewer's pictures as OpenGL textures, loaded once at start-up.
#pragma once

#include "image/image.h"

// Returns null when fileName is null or cannot be opened; else loadDibImage.
ImageRGB* loadImageIfExists(const char* fileName);
// The 17 slot textures into textureIds and the sky into SKY_TEXTURE.
void loadTextures();
// Display lists 1..17, each specifying one slot picture.
void compileTextureLists();

extern ImageRGB skyImage;
extern ImageRGB* textureListImages[17];
