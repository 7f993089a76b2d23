// The texts the viewer shows, each already in the chosen language (through
// tr(), core/i18n.h): the help panel's rows, the map credits, the status
// line, the body menu's labels, the bodies' names and their fact boxes.
// The front ends draw them (render/ and app/ on the desktop, the page's
// HTML on the web); none of them words a text of its own.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/bodies.h"

// The help panel: its title, and one row per control of the table
// (core/controls.h), in its order: the input and what it does.
std::string helpTitle();
std::vector<std::pair<std::string, std::string>> helpRows();

// The credits the help panel lists below the controls: its title, and for
// each body whose picture is made from a real map, its name and its map's
// credit (author and licence), Sun to Pluto.
std::string creditsTitle();
std::vector<std::pair<std::string, std::string>> creditLines();

// What the status line says now ("" for nothing): the rate and direction of
// time while they differ from 1x forwards, or date mode's own status.
// Another mode with a status of its own plugs in here.
std::string statusLine();

// A body's name (the table's msgid in the chosen language), "" for a row
// without one.
const char* bodyNameText(const BodyRow& body);
// The body menu's label of an entry: Latin in every language where the
// menu's font has no Hangul.
const char* menuLabel(const BodyRow& body);
// A body's fact box, or null for both where it has none.
const char* factCaption(const BodyRow& body);
const char* factText(const BodyRow& body);
