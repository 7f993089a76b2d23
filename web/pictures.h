// The scene's pictures in the web page: fetched from the site's image/
// folder and decoded by the browser (web/pictures.cpp says how they are named), then uploaded into the renderer's
// textures; nothing here decodes a picture.
#pragma once

// Starts fetching every slot picture and the sky.  Each lands in its
// texture when the browser has decoded it; until then that slot is drawn
// untextured.  A picture that fails to load is reported on the console and
// left out, as the desktop leaves out a missing file.
void loadPictures();

// The desktop's file name of a slot's picture ("earth.bmp"; WEBGL_SKY_SLOT:
// "space2.bmp"), which the site's image/index.json maps to its web file.
// Null for a slot that names none.
const char* pictureName(int slot);
