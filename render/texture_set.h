// The viewer's pictures as OpenGL textures, loaded once at start-up.
#pragma once

#include "image/image.h"
#include "core/viewer_state.h"
#include "render/gl_handles.h"

// Returns null when fileName is null or cannot be opened; else loadDibImage.
ImageRGB* loadImageIfExists(const char* fileName);
// Starts decoding the slot pictures on a thread of their own, so that the
// work is done by the time loadTextures needs it; optional, shows nothing
// (loadTextures shows what went wrong, in its place).  Needs no OpenGL.
void startDecodingTextures();
// The slot textures into textureIds and the sky into SKY_TEXTURE.
void loadTextures();
// Display lists 1..TEXTURE_SLOT_COUNT, each specifying one slot picture: the
// one loadTextures decoded, kept in textureListImages for the whole run.
void compileTextureLists();

extern ImageRGB skyImage;
extern ImageRGB* textureListImages[TEXTURE_SLOT_COUNT];
