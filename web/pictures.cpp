#include "web/pictures.h"

#include <emscripten.h>

#include <string>

#include "core/bodies.h"
#include "webgl/renderer.h"

extern "C" EMSCRIPTEN_KEEPALIVE void ss_picture_loaded(int slot) { webglTextureReady(slot); }

// The browser decodes the picture; it goes into the texture named by the
// emscripten GL layer's handle, bottom row first as the desktop's BMP rows
// are.  The picture is asked for as image/<name>.jpg, the desktop's file
// name in lower case; a page that names its pictures otherwise maps that URL
// with Module.solarPictureUrl(url), or else the site's image/index.json
// (desktop names, with or without ".bmp", to web files) is read for it.
// Module.solarNoPictures set: none is fetched (every surface untextured).
// JavaScript, which clang-format would take apart.
// clang-format off
EM_JS(void, fetchPicture, (int slot, unsigned int texture, const char* nameText), {
    if (Module["solarNoPictures"])
        return;
    const name = UTF8ToString(nameText).toLowerCase();
    const stem = name.endsWith(".bmp") ? name.slice(0, -4) : name;
    const load = function(url) {
        const image = new Image();
        image.onload = function() {
            const gl = GLctx;
            gl.bindTexture(gl.TEXTURE_2D, GL.textures[texture]);
            gl.pixelStorei(gl.UNPACK_FLIP_Y_WEBGL, true);
            gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGB, gl.RGB, gl.UNSIGNED_BYTE, image);
            gl.pixelStorei(gl.UNPACK_FLIP_Y_WEBGL, false);
            gl.bindTexture(gl.TEXTURE_2D, null);
            Module["_ss_picture_loaded"](slot);
        };
        image.onerror = function() { console.warn("solar-system: " + url + ": the picture did not load"); };
        image.src = url;
    };
    if (typeof Module["solarPictureUrl"] === "function") {
        load(Module["solarPictureUrl"]("image/" + stem + ".jpg"));
        return;
    }
    if (!Module["solarPictureIndex"]) {
        Module["solarPictureIndex"] = fetch("image/index.json")
            .then(function(response) { return response.ok ? response.json() : {}; })
            .catch(function() { return {}; });
    }
    Module["solarPictureIndex"].then(function(index) {
        let web = stem + ".jpg";
        for (const key in index)
            if (key.toLowerCase() === name || key.toLowerCase() === stem)
                web = index[key];
        load("image/" + web);
    });
});
// clang-format on

namespace {

// The scene's pictures that are no body's, as the texture set names them.
struct ScenePicture {
    int slot;
    const char* file;
};
const ScenePicture scenePictures[] = {
    {SLOT_BBB, "bbb.bmp"},
    {SLOT_PERSONFACE, "personface.bmp"},
    {SLOT_PERSONBODY, "personbody.bmp"},
    {SLOT_PERSONJEAN, "personjean.bmp"},
    {SLOT_B3, "b3.bmp"},
    {WEBGL_SKY_SLOT, "space2.bmp"},
};

std::string urls[WEBGL_TEXTURE_COUNT];

// The file name of a desktop picture path, without its folder.
std::string fileName(const char* path)
{
    std::string name = path;
    const std::size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    return name;
}

}  // namespace

const char* pictureName(int slot)
{
    if (slot < 0 || slot >= WEBGL_TEXTURE_COUNT)
        return nullptr;
    if (urls[slot].empty()) {
        if (const BodyRow* body = bodyForSlot(slot))
            urls[slot] = fileName(body->picture);
        for (const ScenePicture& picture : scenePictures)
            if (picture.slot == slot)
                urls[slot] = fileName(picture.file);
    }
    return urls[slot].empty() ? nullptr : urls[slot].c_str();
}

void loadPictures()
{
    for (int slot = 0; slot < WEBGL_TEXTURE_COUNT; ++slot)
        if (const char* name = pictureName(slot))
            fetchPicture(slot, webglTexture(slot), name);
}
