// The desktop renderer's OpenGL objects: the texture names of the picture
// slots, the sky's literal texture name and GLU's quadrics.  Kept out of the
// core's viewer state, which the WebGL renderer shares and which names no
// OpenGL object.
#pragma once

#include <cstdint>

#include "core/viewer_state.h"

// GLU's quadric object, as <GL/glu.h> declares it for C++.
class GLUquadric;

// GLU quadrics: cylinders of the overview, and the flat rings.
extern GLUquadric* cylinderQuadric;
extern GLUquadric* diskQuadric;

// OpenGL texture names generated for the slots (TextureSlot) at start-up (0
// until then).
extern std::uint32_t textureIds[TEXTURE_SLOT_COUNT];

// The literal texture name of the sky picture; never generated.  (GLuint
// is unsigned int.)
constexpr unsigned int SKY_TEXTURE = 18;
