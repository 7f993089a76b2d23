// The status line in the lower left corner of the window.
#pragma once

#include <string>

// What the status line says now ("" for nothing): statusLine() of the core
// (core/texts.h).
std::string statusText();
