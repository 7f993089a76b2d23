#include "render/gl_handles.h"

GLUquadric* cylinderQuadric = nullptr;
GLUquadric* diskQuadric = nullptr;

std::uint32_t textureIds[TEXTURE_SLOT_COUNT] = {};
