// The viewer's pictures as OpenGL textures: the slot pictures and the sky,
// uploaded once at start-up.  Each picture is looked up in the working
// directory first, then in the installed data folder and beside the
// executable (findDataFile), so the viewer finds its pictures wherever it is
// started and a user's own image/ folder still takes precedence.
//
// Both passes name the same pictures, so each slot picture is decoded once:
// the first pass keeps what it decoded, and the display lists of the second
// pass take it over.  Decoding needs no OpenGL, so it may start on a thread
// of its own while the window opens (startDecodingTextures); every message
// is still shown by the pass and in the order the two passes have always
// shown them.

#include "render/texture_set.h"

#include "image/image_core.h"
#include "platform/data_path.h"
#include "platform/win_path.h"
#include "core/bodies.h"
#include "core/viewer_state.h"

#include <GL/gl.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>

ImageRGB skyImage = {};
ImageRGB* textureListImages[TEXTURE_SLOT_COUNT] = {};

namespace {

// The files of each slot as the first pass (loadTextures) and the second
// (compileTextureLists) name them: Windows paths, resolved case-insensitively.
// A body's slot takes its pictures from the body table; the other pictures
// of the scene are listed here.
struct ScenePicture {
    int slot;
    const char* file;
    const char* listFile;
};
const ScenePicture scenePictures[] = {
    {SLOT_C, "image\\c.bmp", ".\\Image\\c.bmp"},
    {SLOT_BBB, "image\\bbb.bmp", ".\\Image\\bbb.bmp"},
    {SLOT_PERSONFACE, "image\\personface.bmp", ".\\Image\\personface.bmp"},
    {SLOT_PERSONBODY, "image\\personbody.bmp", ".\\Image\\personbody.bmp"},
    {SLOT_PERSONJEAN, "image\\personjean.bmp", ".\\Image\\personjean.bmp"},
    {SLOT_B3, "image\\b3.bmp", ".\\Image\\b3.bmp"},
};

// The slot's file in the first pass (or, with list, the second); "" for a
// slot nothing names, which reads as a missing file.
const char* slotFile(int slot, bool list)
{
    if (const BodyRow* body = bodyForSlot(slot))
        return list ? body->listPicture : body->picture;
    for (const ScenePicture& picture : scenePictures)
        if (picture.slot == slot)
            return list ? picture.listFile : picture.file;
    return "";
}

const char* const skyFile = ".\\Image\\space2.bmp";

// A slot picture as the first pass finds it: the file it names, whether the
// file exists (a missing one is passed over without a word), and, when it
// does, how decoding it ended.
struct SlotPicture {
    std::string path;
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    DibFileOutcome outcome{nullptr, false, IMAGE_OK};
};
using SlotPictures = std::array<SlotPicture, TEXTURE_SLOT_COUNT>;

// Finds and decodes one picture without showing anything.
SlotPicture decodeSlotPicture(const char* fileName)
{
    SlotPicture picture;
    picture.path = findDataFile(fileName);
    const std::string file = resolveWindowsPath(picture.path);
    // Existence as the C library's open for reading sees it.
    std::FILE* probe = std::fopen(file.c_str(), "r");
    if (!probe)
        return picture;
    std::fclose(probe);
    picture.exists = true;
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0) {
        picture.device = info.st_dev;
        picture.inode = info.st_ino;
    }
    picture.outcome = decodeDibFile(picture.path.c_str());
    return picture;
}

SlotPictures decodeSlotPictures()
{
    SlotPictures pictures;
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot)
        pictures[slot] = decodeSlotPicture(slotFile(slot, false));
    return pictures;
}

// The pictures being decoded ahead of the first pass, if that was asked for.
std::future<SlotPictures> decodingAhead;
// What the first pass decoded, kept for the second.
SlotPictures firstPass;

// Whether `path` names the file the first pass read as `picture`.
bool sameFile(const std::string& path, const SlotPicture& picture)
{
    if (!picture.exists || picture.inode == 0)
        return false;
    struct stat info {};
    return ::stat(resolveWindowsPath(path).c_str(), &info) == 0 && info.st_dev == picture.device &&
           info.st_ino == picture.inode;
}

void freeSlotPicture(SlotPicture& picture)
{
    if (picture.outcome.image) {
        std::free(picture.outcome.image->pixels);
        std::free(picture.outcome.image);
        picture.outcome.image = nullptr;
    }
}

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
    const SlotPicture picture = decodeSlotPicture(fileName);
    if (picture.exists)
        reportDibOutcome(picture.outcome, picture.path.c_str());
    return picture.outcome.image;
}

void startDecodingTextures()
{
    if (!decodingAhead.valid())
        decodingAhead = std::async(std::launch::async, decodeSlotPictures);
}

void loadTextures()
{
    for (SlotPicture& left : firstPass)  // from an earlier call without a second pass
        freeSlotPicture(left);
    firstPass = decodingAhead.valid() ? decodingAhead.get() : decodeSlotPictures();
    ImageRGB* images[TEXTURE_SLOT_COUNT] = {};
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
        const SlotPicture& picture = firstPass[slot];
        if (picture.exists)
            reportDibOutcome(picture.outcome, picture.path.c_str());
        images[slot] = picture.outcome.image;
    }

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
        // The picture the first pass read, taken over with its outcome (a
        // broken one reported again, under this pass's name); anything else,
        // a missing picture above all, is read as this pass names it.
        SlotPicture& picture = firstPass[list - 1];
        const std::string path = findDataFile(slotFile(list - 1, true));
        if (sameFile(path, picture)) {
            reportDibOutcome(picture.outcome, path.c_str());
            textureListImages[list - 1] = picture.outcome.image;
        } else {
            textureListImages[list - 1] = loadDibImage(path.c_str());
            freeSlotPicture(picture);
        }
        picture.outcome.image = nullptr;
        specifySlotImage(textureListImages[list - 1]);
        glEndList();
    }
}
