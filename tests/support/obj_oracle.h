// A plain two-pass OBJ/MTL reader on stdio, token by token with fscanf, the
// reference the fast reader is compared with (and its benchmark baseline).
#pragma once

#include <string>

#include "model/glm.h"

// Reads `path` (and its material libraries) into a new model, or returns
// null with the message the library would print in `error`.
GlmMesh* oracleReadOBJ(const char* path, std::string* error);
