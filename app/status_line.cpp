// The status line: the core's text (core/texts.h).
#include "app/status_line.h"

#include "core/texts.h"

std::string statusText() { return statusLine(); }
