// The status line in the lower left corner of the window.
#pragma once

#include <string>

// What the status line says now ("" for nothing): the rate and direction of
// time while they differ from 1x forwards, or date mode's own status.
// Another mode with a status of its own plugs in here.
std::string statusText();
