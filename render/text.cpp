// The text layer: fontconfig chooses a face with Hangul, FreeType renders
// each glyph once into an alpha atlas, OpenGL 1.1 draws textured quads.
#include "render/text.h"

#include <GL/gl.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace {

constexpr int ATLAS_SIZE = 1024;
constexpr char32_t HANGUL_PROBE = U'\uD654';  // 화

struct Glyph {
    int width = 0, height = 0;  // bitmap size in pixels
    int left = 0, top = 0;      // bitmap origin relative to the pen on the baseline
    int advance = 0;            // pen advance in pixels
    float s0 = 0, t0 = 0, s1 = 0, t1 = 0;
    bool inAtlas = false;
    bool rendered = false;  // rasterised (and placed, if it fitted) once
};

struct Font {
    bool tried = false;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::string file;
    int index = 0;
    int pixelSize = 0;
    // Glyphs by pixel size and code point; rasterised on first use only.
    std::unordered_map<std::uint64_t, Glyph> glyphs;
    // The atlas: filled shelf by shelf, left to right.
    GLuint texture = 0;
    int shelfX = 0, shelfY = 0, shelfHeight = 0;
    // Ascent and line height by pixel size.
    std::unordered_map<int, std::pair<int, int>> metrics;
};

Font font;

// Opens the first face in fontconfig's order for Korean that really has
// Hangul (a face may claim the language without covering it).
bool openFace()
{
    if (!FcInit() || FT_Init_FreeType(&font.library) != 0)
        return false;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=ko"));
    if (!pattern)
        return false;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    FcPatternDestroy(pattern);
    if (!fonts)
        return false;
    for (int i = 0; i < fonts->nfont && !font.face; ++i) {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) != FcResultMatch)
            continue;
        FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &index);
        FT_Face face = nullptr;
        if (FT_New_Face(font.library, reinterpret_cast<const char*>(file), index, &face) != 0)
            continue;
        if (FT_Get_Char_Index(face, HANGUL_PROBE) != 0 && FT_Get_Char_Index(face, 'A') != 0) {
            font.face = face;
            font.file = reinterpret_cast<const char*>(file);
            font.index = index;
        } else {
            FT_Done_Face(face);
        }
    }
    FcFontSetDestroy(fonts);
    return font.face != nullptr;
}

void setSize(int pixelSize)
{
    if (font.pixelSize != pixelSize && FT_Set_Pixel_Sizes(font.face, 0, pixelSize) == 0)
        font.pixelSize = pixelSize;
}

// Copies a rendered bitmap into the next free place of the atlas.
void placeInAtlas(Glyph& glyph, const FT_Bitmap& bitmap)
{
    if (glyph.width == 0 || glyph.height == 0)
        return;
    if (glyph.width > ATLAS_SIZE || glyph.height > ATLAS_SIZE)
        return;
    if (font.shelfX + glyph.width + 1 > ATLAS_SIZE) {
        font.shelfY += font.shelfHeight + 1;
        font.shelfX = 0;
        font.shelfHeight = 0;
    }
    if (font.shelfY + glyph.height > ATLAS_SIZE)
        return;  // full: the glyph stays blank rather than evicting others
    std::vector<unsigned char> rows(static_cast<size_t>(glyph.width) * glyph.height);
    for (int r = 0; r < glyph.height; ++r) {
        const unsigned char* src = bitmap.buffer + static_cast<std::ptrdiff_t>(r) * bitmap.pitch;
        for (int c = 0; c < glyph.width; ++c)
            rows[static_cast<size_t>(r) * glyph.width + c] = src[c];
    }
    glBindTexture(GL_TEXTURE_2D, font.texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, font.shelfX, font.shelfY, glyph.width, glyph.height, GL_ALPHA, GL_UNSIGNED_BYTE,
                    rows.data());
    glyph.s0 = static_cast<float>(font.shelfX) / ATLAS_SIZE;
    glyph.t0 = static_cast<float>(font.shelfY) / ATLAS_SIZE;
    glyph.s1 = static_cast<float>(font.shelfX + glyph.width) / ATLAS_SIZE;
    glyph.t1 = static_cast<float>(font.shelfY + glyph.height) / ATLAS_SIZE;
    glyph.inAtlas = true;
    font.shelfX += glyph.width + 1;
    if (glyph.height > font.shelfHeight)
        font.shelfHeight = glyph.height;
}

// The glyph of a code point at a size; rasterised (and put in the atlas
// when `upload`, which needs the overlay's GL state) only the first time.
const Glyph& glyphFor(char32_t code, int pixelSize, bool upload)
{
    const std::uint64_t key = (static_cast<std::uint64_t>(pixelSize) << 32) | code;
    auto found = font.glyphs.find(key);
    if (found != font.glyphs.end() && (found->second.rendered || !upload))
        return found->second;
    setSize(pixelSize);
    Glyph& glyph = font.glyphs[key];
    const FT_Int32 flags = upload ? FT_LOAD_RENDER : FT_LOAD_DEFAULT;
    if (FT_Load_Char(font.face, code, flags) != 0) {
        glyph.rendered = true;  // not again: it would fail again
        return glyph;
    }
    const FT_GlyphSlot slot = font.face->glyph;
    glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (upload) {
        glyph.width = static_cast<int>(slot->bitmap.width);
        glyph.height = static_cast<int>(slot->bitmap.rows);
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        placeInAtlas(glyph, slot->bitmap);
        glyph.rendered = true;
    }
    return glyph;
}

void createAtlas()
{
    glGenTextures(1, &font.texture);
    glBindTexture(GL_TEXTURE_2D, font.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    const std::vector<unsigned char> empty(static_cast<size_t>(ATLAS_SIZE) * ATLAS_SIZE, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, ATLAS_SIZE, ATLAS_SIZE, 0, GL_ALPHA, GL_UNSIGNED_BYTE, empty.data());
}

}  // namespace

bool textAvailable()
{
    if (!font.tried) {
        font.tried = true;
        openFace();
    }
    return font.face != nullptr;
}

const std::string& textFontFile()
{
    textAvailable();
    return font.file;
}

int textFontIndex()
{
    textAvailable();
    return font.index;
}

std::u32string decodeUtf8(const std::string& utf8)
{
    std::u32string out;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = s[i];
        int extra = 0;
        char32_t code = 0;
        char32_t least = 0;
        if (b < 0x80) {
            code = b;
        } else if ((b & 0xE0) == 0xC0) {
            extra = 1, code = b & 0x1F, least = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            extra = 2, code = b & 0x0F, least = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            extra = 3, code = b & 0x07, least = 0x10000;
        } else {
            out.push_back(U'\uFFFD');
            ++i;
            continue;
        }
        bool ok = i + extra < n;
        for (int k = 1; ok && k <= extra; ++k) {
            ok = (s[i + k] & 0xC0) == 0x80;
            code = (code << 6) | (s[i + k] & 0x3F);
        }
        if (!ok || code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            out.push_back(U'\uFFFD');
            ++i;
            continue;
        }
        out.push_back(code);
        i += extra + 1;
    }
    return out;
}

int textWidth(const std::string& utf8, int pixelSize)
{
    if (!textAvailable())
        return 0;
    int width = 0;
    for (char32_t code : decodeUtf8(utf8))
        width += glyphFor(code, pixelSize, false).advance;
    return width;
}

namespace {
const std::pair<int, int>& metricsFor(int pixelSize)
{
    auto found = font.metrics.find(pixelSize);
    if (found != font.metrics.end())
        return found->second;
    setSize(pixelSize);
    const FT_Size_Metrics& m = font.face->size->metrics;
    return font.metrics[pixelSize] = {static_cast<int>((m.ascender + 63) >> 6), static_cast<int>((m.height + 63) >> 6)};
}
}  // namespace

int textAscent(int pixelSize) { return textAvailable() ? metricsFor(pixelSize).first : pixelSize; }

int textLineHeight(int pixelSize) { return textAvailable() ? metricsFor(pixelSize).second : pixelSize; }

void beginOverlay(int windowWidth, int windowHeight)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, windowWidth, windowHeight, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glViewport(0, 0, windowWidth, windowHeight);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    if (textAvailable() && font.texture == 0)
        createAtlas();
}

void endOverlay()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();  // the matrix mode included
}

void drawBacking(int x, int y, int width, int height, float alpha)
{
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.02f, 0.03f, 0.08f, alpha);
    glBegin(GL_QUADS);
    glVertex2i(x, y);
    glVertex2i(x, y + height);
    glVertex2i(x + width, y + height);
    glVertex2i(x + width, y);
    glEnd();
}

void drawText(const std::string& utf8, int x, int y, int pixelSize, const float rgb[3])
{
    if (!textAvailable() || font.texture == 0)
        return;
    const int baseline = y + textAscent(pixelSize);
    // Rasterise what is new first: uploading binds the atlas, which may not
    // happen between glBegin and glEnd.
    const std::u32string codes = decodeUtf8(utf8);
    for (char32_t code : codes)
        glyphFor(code, pixelSize, true);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, font.texture);
    glColor4f(rgb[0], rgb[1], rgb[2], 1.0f);
    glBegin(GL_QUADS);
    int pen = x;
    for (char32_t code : codes) {
        const Glyph& g = glyphFor(code, pixelSize, false);
        if (g.inAtlas) {
            const int left = pen + g.left;
            const int top = baseline - g.top;
            glTexCoord2f(g.s0, g.t0);
            glVertex2i(left, top);
            glTexCoord2f(g.s0, g.t1);
            glVertex2i(left, top + g.height);
            glTexCoord2f(g.s1, g.t1);
            glVertex2i(left + g.width, top + g.height);
            glTexCoord2f(g.s1, g.t0);
            glVertex2i(left + g.width, top);
        }
        pen += g.advance;
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
}
