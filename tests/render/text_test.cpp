// The text layer and the overlays on the viewer's real window: glyphs drawn
// as FreeType renders them (Hangul and Latin, not the missing-glyph box),
// the OpenGL state left exactly as found, names beside the bodies, orbits,
// and frames unchanged once every overlay is off again.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/overlay.h"
#include "render/render.h"
#include "render/text.h"
#include "core/viewer_state.h"
#include "tests/support/render_fixture.h"

namespace {

constexpr float WHITE[3] = {1, 1, 1};

// A glyph as FreeType renders it from the text layer's own font.
struct Bitmap {
    int width = 0, height = 0, left = 0, top = 0, advance = 0;
    std::vector<unsigned char> coverage;
};

Bitmap freetypeGlyph(FT_ULong code, int pixelSize, bool byIndex = false)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    Bitmap b;
    if (FT_Init_FreeType(&library) != 0)
        return b;
    if (FT_New_Face(library, textFontFile().c_str(), textFontIndex(), &face) == 0) {
        FT_Set_Pixel_Sizes(face, 0, pixelSize);
        const FT_Error error = byIndex ? FT_Load_Glyph(face, static_cast<FT_UInt>(code), FT_LOAD_RENDER)
                                       : FT_Load_Char(face, code, FT_LOAD_RENDER);
        if (error == 0) {
            const FT_GlyphSlot g = face->glyph;
            b.width = static_cast<int>(g->bitmap.width);
            b.height = static_cast<int>(g->bitmap.rows);
            b.left = g->bitmap_left;
            b.top = g->bitmap_top;
            b.advance = static_cast<int>((g->advance.x + 32) >> 6);
            for (int r = 0; r < b.height; ++r)
                for (int c = 0; c < b.width; ++c)
                    b.coverage.push_back(g->bitmap.buffer[r * g->bitmap.pitch + c]);
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return b;
}

FT_UInt glyphIndex(FT_ULong code)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FT_UInt index = 0;
    if (FT_Init_FreeType(&library) == 0 && FT_New_Face(library, textFontFile().c_str(), textFontIndex(), &face) == 0) {
        index = FT_Get_Char_Index(face, code);
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return index;
}

// White text on black: each pixel's grey level is the glyph's coverage.
// Returns how many pixels of the glyph's box differ by more than 2 levels.
int differingPixels(const Frame& frame, const Bitmap& glyph, int penX, int baselineY)
{
    int differ = 0;
    for (int r = 0; r < glyph.height; ++r)
        for (int c = 0; c < glyph.width; ++c) {
            const int x = penX + glyph.left + c;
            const int yDown = baselineY - glyph.top + r;
            const Rgb p = frame.at(x, frame.height - 1 - yDown);
            differ += std::abs(p.r - glyph.coverage[static_cast<size_t>(r) * glyph.width + c]) > 2;
        }
    return differ;
}

Frame textOnBlack(const std::string& text, int x, int y, int size)
{
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    beginOverlay(WINDOW_WIDTH, WINDOW_HEIGHT);
    drawText(text, x, y, size, WHITE);
    endOverlay();
    return readFrame();
}

class Text : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(textAvailable()) << "no font with Hangul";
        resetViewer();
    }
    void TearDown() override
    {
        showHelp = showNames = showOrbits = false;
        timeRateExponent = 0;
        timeBackwards = false;
        frameOverlay = nullptr;
    }
};

TEST_F(Text, HangulAndLatinAreDrawnAsTheFontsGlyphsNotBoxes)
{
    constexpr int size = 40, x = 100, y = 100;
    const int baseline = y + textAscent(size);
    struct Case {
        const char* text;
        char32_t first, second;
    };
    for (const Case& c : {Case{"화성", U'화', U'성'}, Case{"Ma", U'M', U'a'}}) {
        SCOPED_TRACE(c.text);
        ASSERT_NE(glyphIndex(c.first), 0u) << "the font lacks the glyph";
        const Frame frame = textOnBlack(c.text, x, y, size);
        saveShot(frame, std::string("text-") + (c.first == U'M' ? "latin" : "hangul"));
        const Bitmap first = freetypeGlyph(c.first, size);
        const Bitmap second = freetypeGlyph(c.second, size);
        ASSERT_GT(first.width * first.height, 50);
        EXPECT_EQ(differingPixels(frame, first, x, baseline), 0);
        EXPECT_EQ(differingPixels(frame, second, x + first.advance, baseline), 0);
        // The missing-glyph box would not pass for the glyph.
        const Bitmap box = freetypeGlyph(0, size, true);
        EXPECT_GT(differingPixels(frame, box, x, baseline), 20);
        EXPECT_EQ(textWidth(c.text, size), first.advance + second.advance);
    }
}

TEST_F(Text, ManyGlyphsAtSeveralSizesStayIntact)
{
    // Enough different glyphs to fill several shelves of the atlas; the
    // first one drawn must still be right afterwards.
    std::string many;
    for (char32_t c = U'가'; c < U'가' + 400; c += 3) {
        const unsigned v = c;
        many += static_cast<char>(0xE0 | (v >> 12));
        many += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
        many += static_cast<char>(0x80 | (v & 0x3F));
    }
    for (int size : {12, 20, 30})
        textOnBlack(many, 0, 300, size);
    const Frame frame = textOnBlack("화", 50, 50, 40);
    EXPECT_EQ(differingPixels(frame, freetypeGlyph(U'화', 40), 50, 50 + textAscent(40)), 0);
}

TEST_F(Text, Utf8IsDecodedAndBadBytesBecomeReplacementCharacters)
{
    EXPECT_EQ(decodeUtf8("a화"), U"a화");
    EXPECT_EQ(decodeUtf8("\xff"
                         "b"),
              U"\uFFFDb");
    EXPECT_EQ(decodeUtf8("\xed\x95"), U"\uFFFD\uFFFD");            // cut short
    EXPECT_EQ(decodeUtf8("\xc0\xaf"), U"\uFFFD\uFFFD");            // overlong
    EXPECT_EQ(decodeUtf8("\xed\xa0\x80"), U"\uFFFD\uFFFD\uFFFD");  // surrogate
}

// Every piece of state the overlay could touch, as OpenGL reports it.
struct GlState {
    std::vector<double> values;
    bool operator==(const GlState&) const = default;
};

GlState captureState()
{
    GlState s;
    for (GLenum cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_CULL_FACE, GL_TEXTURE_2D, GL_BLEND, GL_COLOR_MATERIAL,
                       GL_NORMALIZE, GL_LIGHT0, GL_LIGHT1})
        s.values.push_back(glIsEnabled(cap));
    for (GLenum q : {GL_MATRIX_MODE, GL_TEXTURE_BINDING_2D, GL_BLEND_SRC, GL_BLEND_DST, GL_UNPACK_ALIGNMENT,
                     GL_PACK_ALIGNMENT, GL_DEPTH_FUNC, GL_SHADE_MODEL}) {
        GLint v = 0;
        glGetIntegerv(q, &v);
        s.values.push_back(v);
    }
    GLint env = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    s.values.push_back(env);
    GLint modes[2], viewport[4];
    glGetIntegerv(GL_POLYGON_MODE, modes);
    glGetIntegerv(GL_VIEWPORT, viewport);
    s.values.insert(s.values.end(), modes, modes + 2);
    s.values.insert(s.values.end(), viewport, viewport + 4);
    for (GLenum q : {GL_CURRENT_COLOR, GL_CURRENT_TEXTURE_COORDS, GL_CURRENT_NORMAL}) {
        GLfloat v[4] = {};
        glGetFloatv(q, v);
        s.values.insert(s.values.end(), v, v + 4);
    }
    for (GLenum q : {GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX}) {
        GLdouble m[16];
        glGetDoublev(q, m);
        s.values.insert(s.values.end(), m, m + 16);
    }
    return s;
}

TEST_F(Text, TheOverlayLeavesEveryStateAsItFoundIt)
{
    display();  // the state a frame leaves: the sky bound, the figure's colour
    const GlState before = captureState();
    beginOverlay(WINDOW_WIDTH, WINDOW_HEIGHT);
    drawBacking(10, 10, 200, 40);
    drawText("화성 Mars", 14, 14, 20, WHITE);
    endOverlay();
    EXPECT_TRUE(captureState() == before);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Counts the pixels of a frame that differ from another.
long differences(const Frame& a, const Frame& b)
{
    long n = 0;
    for (size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); i += 3)
        n += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
    return n;
}

TEST_F(Text, FramesAreUnchangedOnceEveryOverlayIsOffAgain)
{
    const Frame plain = drawFrame();
    frameOverlay = drawOverlays;
    EXPECT_EQ(differences(drawFrame(), plain), 0) << "an overlay with nothing to show drew something";

    for (bool* flag : {&showHelp, &showNames, &showOrbits}) {
        *flag = true;
        const Frame on = drawFrame();
        EXPECT_GT(differences(on, plain), 500);
        *flag = false;
        // The frame after, and the one after that (state left by the frame
        // before shows in the next one: the band takes the texture
        // coordinate last issued).
        EXPECT_EQ(differences(drawFrame(), plain), 0);
        EXPECT_EQ(differences(drawFrame(), plain), 0);
    }
    timeRateExponent = 3;
    EXPECT_GT(differences(drawFrame(), plain), 100) << "no status line";
    timeRateExponent = 0;
    EXPECT_EQ(differences(drawFrame(), plain), 0);
}

// A world point of the overview at the start camera, in window pixels
// (y up, as glReadPixels counts).
void projectWorld(double x, double y, double z, double& wx, double& wy)
{
    GLdouble model[16], proj[16], wz;
    GLint viewport[4];
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(eyeX, 0, eyeZ, centerX, 0, centerZ, 0, 1, 0);
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glPopMatrix();
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(x, y, z, model, proj, viewport, &wx, &wy, &wz);
}

bool whiteish(Rgb p) { return p.r > 200 && p.g > 200 && p.b > 200; }

TEST_F(Text, NamesSitBesideTheirBodiesAndKeepOffTheSun)
{
    frameOverlay = drawOverlays;
    const Frame plain = drawFrame();
    showNames = true;
    const Frame frame = drawFrame();
    saveShot(frame, "overview-names");
    // Nothing of a name on the sun's disc.
    double sx, sy, tx, ty;
    projectWorld(0, 0, 0, sx, sy);
    projectWorld(0, 3, 0, tx, ty);
    const double r = ty - sy - 1;
    long onSun = 0;
    for (int y = static_cast<int>(sy - r); y <= static_cast<int>(sy + r); ++y)
        for (int x = static_cast<int>(sx - r); x <= static_cast<int>(sx + r); ++x)
            if ((x - sx) * (x - sx) + (y - sy) * (y - sy) < r * r)
                onSun += !(frame.at(x, y) == plain.at(x, y));
    EXPECT_EQ(onSun, 0);
    // Below every planet, or beside it where below would touch the sun:
    // white text on the dark backing.
    const double distances[] = {4.5, -6.4, 9.6, -12.3, 15.2, -19.6, 22.2, -25.4, 28.6};
    for (double d : distances) {
        SCOPED_TRACE(d);
        double px, py;
        projectWorld(d, 0, 0, px, py);
        int white = 0;
        for (int y = static_cast<int>(py) - 40; y < static_cast<int>(py) + 10; ++y)
            for (int x = static_cast<int>(px) - 25; x <= static_cast<int>(px) + 90; ++x)
                white += whiteish(frame.at(x, y));
        EXPECT_GT(white, 10);
    }
}

TEST_F(Text, OrbitsRunThroughEveryPlanetsPath)
{
    showOrbits = true;
    const Frame frame = drawFrame();
    saveShot(frame, "overview-orbits");
    // A quarter turn from where each planet stands (below the sun: the
    // figure stands above it): a pixel in the orbit colour near the
    // projected point; the Moon's circle around Earth.
    const Rgb orbit{115, 140, 191};
    auto lineNear = [&](double wx, double wy) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const Rgb p = frame.at(static_cast<int>(wx) + dx, static_cast<int>(wy) + dy);
                if (std::abs(p.r - orbit.r) <= 3 && std::abs(p.g - orbit.g) <= 3 && std::abs(p.b - orbit.b) <= 3)
                    return true;
            }
        return false;
    };
    for (double r : {4.5, 6.4, 9.6, 12.3, 15.2, 19.6, 22.2, 25.4, 28.6}) {
        double wx, wy;
        projectWorld(0, -r, 0, wx, wy);
        EXPECT_TRUE(lineNear(wx, wy)) << "orbit of radius " << r;
    }
    double mx, my;
    projectWorld(9.6, 1.5, 0, mx, my);
    EXPECT_TRUE(lineNear(mx, my)) << "the Moon's orbit";
    // The circles stop short of the bodies: the sphere's near half is
    // culled, and a line through a planet would show across it.
    double ex, ey;
    projectWorld(9.6, 0, 0, ex, ey);
    EXPECT_EQ(frame.at(static_cast<int>(ex), static_cast<int>(ey)), slotColours[SLOT_EARTH]);
}

TEST_F(Text, ACloseUpShowsTheBodysNameAsATitle)
{
    frameOverlay = drawOverlays;
    viewMode = 4;  // Mars
    const Frame plain = drawFrame();
    showNames = true;
    const Frame titled = drawFrame();
    saveShot(titled, "closeup-mars-title");
    // Only the top band of the window changes.
    long top = 0, rest = 0;
    for (int y = 0; y < WINDOW_HEIGHT; ++y)
        for (int x = 0; x < WINDOW_WIDTH; ++x)
            (y > WINDOW_HEIGHT - 80 ? top : rest) += !(titled.at(x, y) == plain.at(x, y));
    EXPECT_GT(top, 100);
    EXPECT_EQ(rest, 0);
    viewMode = 10;
}

}  // namespace

int main(int argc, char** argv) { return runTestsInViewerWindow(argc, argv); }
