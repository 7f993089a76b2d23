// The table of bodies: one row per body, with everything the viewer knows
// about it in one place.  The menu, the fact boxes, the close-ups, the
// overview, the clock, the names, date mode and --positions all read their
// body's row here instead of keeping lists of their own.
//
// A row's index is the body's internal index (enum Body); it is not a menu
// value, a view mode or a texture slot: those are columns, valued as the
// menu, the display and the texture set have always numbered them.  The
// angle globals stay what they are (state/viewer_state.h); a row points at
// its own.  The last row, Kosmara, is no body: it is the menu's way back to
// the overview, and every column a body would fill says "none".
//
// Plain data, no GL: the table is constant and never written.
#pragma once

#include "sky/sky.h"
#include "core/viewer_state.h"

// The internal body index: a row of bodyTable.
enum Body {
    BODY_SUN,
    BODY_MERCURY,
    BODY_VENUS,
    BODY_EARTH,
    BODY_MOON,
    BODY_MARS,
    BODY_JUPITER,
    BODY_SATURN,
    BODY_URANUS,
    BODY_NEPTUNE,
    BODY_PLUTO,
    BODY_KOSMARA,  // no body: the menu's entry back to the overview
};
constexpr int BODY_ROW_COUNT = 12;

// "None" in the columns that hold numbers.
constexpr int NO_BODY = -1;       // centre of a body that circles nothing
constexpr int NO_MENU_ENTRY = 0;  // menu value of a body the menu does not list
constexpr int NO_VIEW_MODE = -1;  // view mode of a body without a close-up
constexpr int NO_SLOT = -1;       // texture slot of a row without a picture
constexpr int NO_SKY_BODY = -1;   // sky body of a row the sky layer has no position for

// How a body's close-up is drawn (render/close_up.cpp).
enum CloseUpKind {
    NO_CLOSE_UP,         // no close-up: the Moon, and Kosmara (the overview)
    CLOSE_UP_ALONE,      // drawCloseUp: the body alone, texturing switched round it
    CLOSE_UP_WITH_MOON,  // drawCloseUpWithMoon: the body and the body circling it
    CLOSE_UP_WITH_RING,  // drawCloseUpWithRing: Saturn and its ring
};

struct BodyRow {
    // False for Kosmara alone.
    bool isBody;

    // The menu: the value chooseBody receives (NO_MENU_ENTRY for none), the
    // label in the menu's own spelling (msgctxt "body menu"; null for none),
    // the view mode choosing it sets (0..9 a close-up, OVERVIEW_VIEW_MODE
    // the overview; NO_VIEW_MODE for none) and how that close-up is drawn.
    int menuValue;
    const char* menuLabel;
    int viewMode;
    CloseUpKind closeUp;

    // The texture slot of its picture (NO_SLOT for none), and the body the
    // sky layer gives its position for (a SkyBody; NO_SKY_BODY for none).
    int slot;
    int skyBody;

    // Texts, as msgids for tr(): its name (beside it under n, the title of
    // its close-up, the body column of --positions, which prints the msgid
    // itself), and the caption and text of its fact box (null for no box).
    const char* name;
    const char* factCaption;
    const char* factText;

    // Its picture as the texture set's two passes name it (Windows paths,
    // resolved case-insensitively), and the credit of the real map the
    // build makes it from (tools/make-textures): the map's author, then its
    // licence in parentheses, as the help panel, the README and the
    // packages' copyright file give them.
    const char* picture;
    const char* listPicture;
    const char* mapCredit;

    // The animation: the angle globals of its orbit and its spin (null for
    // none) and the degrees the clock adds to each per step at 1x.
    float* orbit;
    double orbitRate;
    float* spin;
    double spinRate;

    // The overview: the body it circles (BODY_SUN for a planet; NO_BODY for
    // the Sun itself), its distance along x from that centre (the signs
    // alternate, so at angle 0 the planets lie on alternate sides of the
    // sun), its radius and its sphere's slice count.  The radius is double
    // because the orbit line clears it in double precision; every planet's
    // is written as the float the sphere is drawn with, the Moon's as the
    // plain decimal its orbit line has always used.
    int centre;
    float distance;
    double radius;
    int slices;
    // A ring round it in the overview (Saturn's: 1.3 to 2.0, tilted 45
    // degrees), and whether its orbit line is drawn when orbits are on.
    bool ring;
    bool orbitLine;
};

extern const BodyRow bodyTable[BODY_ROW_COUNT];

// Lookups by column; null when no row has that value (a body without a
// menu entry, close-up or slot is never found by it).
const BodyRow* bodyForMenuValue(int value);
const BodyRow* bodyForViewMode(int mode);
const BodyRow* bodyForSlot(int slot);
const BodyRow* bodyForSkyBody(int skyBody);
// The body that circles the given body (the Moon for the Earth), or null.
const BodyRow* companionOf(int body);
// The row's internal index.
inline int bodyIndex(const BodyRow& row) { return static_cast<int>(&row - bodyTable); }
