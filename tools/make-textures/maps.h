// The real maps the bodies' pictures are made from, and how a map becomes a
// slot picture.
#pragma once

#include <cstdint>
#include <vector>

// Where one body's map lies: a file of a Debian package, named relative to
// the folder the maps are looked for under (the root of the system, unless
// `--maps-root` says otherwise).
struct BodyMap {
    const char* body;     // the body, as the fallback line names it
    const char* picture;  // the slot picture the map becomes
    const char* file;     // the map, relative to the maps' root
    const char* package;  // the Debian package that ships it
};

// Slots 0 to 10: the Sun, Mercury, Venus, the Earth, the Moon, Mars,
// Jupiter, Saturn, Uranus, Neptune and Pluto.
constexpr int BODY_MAP_COUNT = 11;
extern const BodyMap bodyMaps[BODY_MAP_COUNT];

// The largest a body picture gets.
constexpr int MAX_MAP_WIDTH = 2048;
constexpr int MAX_MAP_HEIGHT = 1024;

// A picture ready for writeBmp24: width x height red, green, blue triples,
// bottom row first.
struct SlotPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// The largest power of two that is at most `size` and at most `limit`
// (1 for sizes below 2).
int powerOfTwoAtMost(int size, int limit);

// An equirectangular map (width x height pixels of `channels` bytes, red,
// green and blue first; rows top first, north at the top, west on the left)
// as a slot picture.  Each side shrinks to the largest power of two that
// the map and MAX_MAP_WIDTH x MAX_MAP_HEIGHT allow, each picture pixel the
// average of the map's pixels under it (never enlarged).  The picture is
// then mirrored left to right: the viewer's sphere shows its picture
// mirrored, so the mirrored map reads as on a globe, east to the right of
// west and north up.
SlotPicture slotPictureFromMap(const unsigned char* pixels, int width, int height, int channels);
