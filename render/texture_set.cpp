// The viewer's pictures as OpenGL textures: the slot pictures and the sky,
// decoded and uploaded once at start-up.  Each picture is looked up in the
// working directory first, then in the installed data folder and beside the
// executable (findDataFile), so the viewer finds its pictures wherever it is
// started and a user's own image/ folder still takes precedence.

#include "render/texture_set.h"

#include "app/viewer_state.h"
#include "platform/data_path.h"
#include "platform/win_path.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

ImageRGB skyImage = {};
ImageRGB* textureListImages[TEXTURE_SLOT_COUNT] = {};

namespace {

// The files of each slot as the first pass (loadTextures) and the second
// (compileTextureLists) name them: Windows paths, resolved case-insensitively.
const char* const slotFiles[TEXTURE_SLOT_COUNT] = {
    "image\\Sun.bmp",    "image\\Mercury.bmp",    "image\\Venus.bmp",      "image\\earth.bmp",
    "image\\Moon.bmp",   "image\\Mars.bmp",       "image\\Jupiter.bmp",    "image\\saturn.bmp",
    "image\\Uranus.bmp", "image\\Neptune.bmp",    "image\\Pluto.bmp",      "image\\c.bmp",
    "image\\bbb.bmp",    "image\\personface.bmp", "image\\personbody.bmp", "image\\personjean.bmp",
    "image\\b3.bmp",
};
const char* const listFiles[TEXTURE_SLOT_COUNT] = {
    ".\\Image\\Sun.bmp",    ".\\Image\\Mercury.bmp",    ".\\Image\\Venus.bmp",      ".\\Image\\earth.bmp",
    ".\\Image\\Moon.bmp",   ".\\Image\\Mars.bmp",       ".\\Image\\Jupiter.bmp",    ".\\Image\\Saturn.bmp",
    ".\\Image\\Uranus.bmp", ".\\Image\\Neptune.bmp",    ".\\Image\\pluto.bmp",      ".\\Image\\c.bmp",
    ".\\Image\\bbb.bmp",    ".\\Image\\personface.bmp", ".\\Image\\personbody.bmp", ".\\Image\\personjean.bmp",
    ".\\Image\\b3.bmp",
};
const char* const skyFile = ".\\Image\\space2.bmp";

// The three-component image of a slot picture; a missing picture specifies
// none, so its texture stays without an image.
void specifySlotImage(const ImageRGB* image)
{
    if (image)
        glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE, image->pixels);
}

}  // namespace

ImageRGB* loadImageIfExists(const char* fileName)
{
    if (!fileName)
        return nullptr;
    const std::string path = findDataFile(fileName);
    std::FILE* probe = std::fopen(resolveWindowsPath(path).c_str(), "r");
    if (!probe)
        return nullptr;
    std::fclose(probe);
    return loadDibImage(path.c_str());
}

void loadTextures()
{
    ImageRGB* images[TEXTURE_SLOT_COUNT] = {};
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot)
        images[slot] = loadImageIfExists(slotFiles[slot]);

    glGenTextures(TEXTURE_SLOT_COUNT, textureIds);
    // The sky owns the literal name SKY_TEXTURE; should it have been handed
    // out (textures made before this call), that slot takes a fresh name.
    for (std::uint32_t& id : textureIds)
        if (id == SKY_TEXTURE)
            glGenTextures(1, &id);

    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
        glBindTexture(GL_TEXTURE_2D, textureIds[slot]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        specifySlotImage(images[slot]);
    }
    for (ImageRGB*& image : images) {
        if (image) {
            std::free(image->pixels);
            std::free(image);
            image = nullptr;
        }
    }
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    readBmp(findDataFile(skyFile).c_str(), &skyImage);
    glBindTexture(GL_TEXTURE_2D, SKY_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLfloat>(GL_REPLACE));
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, skyImage.width, skyImage.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 skyImage.pixels);

    glEnable(GL_CULL_FACE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glPolygonMode(GL_FRONT, GL_FILL);
}

void compileTextureLists()
{
    // These act on the texture loadTextures left bound: the sky.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    for (int list = 1; list <= TEXTURE_SLOT_COUNT; ++list) {
        glNewList(static_cast<GLuint>(list), GL_COMPILE);
        textureListImages[list - 1] = loadDibImage(findDataFile(listFiles[list - 1]).c_str());
        specifySlotImage(textureListImages[list - 1]);
        glEndList();
    }
}
