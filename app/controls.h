// The desktop's side of the table of controls (core/controls.h): GLUT's
// special keys in the core's codes, and the hooks through which the core
// asks GLUT, GTK and the sky layer for what only they can do.
#pragma once

#include "core/controls.h"

// The core's code of a GLUT special key (CoreKey), 0 for a key the table
// does not know.
int coreKeyFromGlut(int glutKey);

// Installs the desktop's hooks: GLUT's idle callbacks for the clocks, its
// redisplay and full screen, the screenshot, GL lighting, the GTK fact box,
// the sky layer's positions, and exit for Esc.
void installDesktopHooks();
