// The viewer's pictures as OpenGL textures, loaded once at start-up.
#pragma once

#include "app/viewer_state.h"
#include "image/image.h"

// Returns null when fileName is null or cannot be opened; else loadDibImage.
ImageRGB* loadImageIfExists(const char* fileName);
// The slot textures into textureIds and the sky into SKY_TEXTURE.
void loadTextures();
// Display lists 1..TEXTURE_SLOT_COUNT, each specifying one slot picture.
void compileTextureLists();

extern ImageRGB skyImage;
extern ImageRGB* textureListImages[TEXTURE_SLOT_COUNT];
