// The exports the page calls: the viewer's controls, texts and state, each
// taken from the core, so that the page lists nothing of its own.
#include "web/api.h"

#include <emscripten.h>

#include <string>

#include "core/bodies.h"
#include "core/viewer_state.h"
#include "web/viewer.h"
#include "webgl/renderer.h"

namespace {

int steps = 0;

// A name beside its body as the desktop's overlay places it: below the
// body, a moon's above, flipped inside the canvas, and beside the body,
// away from the sun, where it would cover the sun.  The page's font is not
// known here: the box is reckoned with a line of NAME_LINE pixels and
// NAME_ADVANCE pixels a character (twice that for wide scripts).
constexpr int NAME_LINE = 18;
constexpr int NAME_ADVANCE = 8;
constexpr int NAME_PAD = 4;

struct NamePlace {
    bool shown = false;
    float x = 0, y = 0;  // the centre of the name's box, canvas px from the top left
};
NamePlace names[BODY_ROW_COUNT];
std::string nameTexts[BODY_ROW_COUNT];

int textWidth(const std::string& text)
{
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        width += length >= 3 ? 2 * NAME_ADVANCE : NAME_ADVANCE;
        i += static_cast<std::size_t>(length);
    }
    return width;
}

bool touchesDisc(double x, double y, double w, double h, double cx, double cy, double r)
{
    const double nx = cx < x ? x : cx > x + w ? x + w : cx;
    const double ny = cy < y ? y : cy > y + h ? y + h : cy;
    return (nx - cx) * (nx - cx) + (ny - cy) * (ny - cy) < r * r;
}

const char* bodyName(int body);

void placeNames()
{
    struct OnScreen {
        bool shown = false;
        double x = 0, y = 0, radius = 0;
    } bodies[BODY_ROW_COUNT];
    const int height = viewerHeight();
    const bool overview = !(bodyForViewMode(viewMode) && bodyForViewMode(viewMode)->closeUp != NO_CLOSE_UP);
    for (int body = 0; body < BODY_ROW_COUNT; ++body) {
        const WebglAnchor& anchor = webglAnchors[body];
        if (!overview || !anchor.drawn || anchor.eye[2] >= 0.0f)
            continue;
        double centre[3], edge[3];
        const float top[3] = {anchor.eye[0], anchor.eye[1] + anchor.radius, anchor.eye[2]};
        if (!webglProject(anchor.eye, centre) || !webglProject(top, edge) || centre[2] < 0.0 || centre[2] > 1.0)
            continue;
        bodies[body] = {true, centre[0], height - centre[1], edge[1] - centre[1] > 2.0 ? edge[1] - centre[1] : 2.0};
    }
    const OnScreen& sun = bodies[BODY_SUN];
    for (int index = 0; index < BODY_ROW_COUNT; ++index) {
        names[index].shown = false;
        const OnScreen& body = bodies[index];
        const BodyRow& row = bodyTable[index];
        if (!body.shown || !row.name)
            continue;
        const bool isMoon = row.centre != NO_BODY && row.centre != BODY_SUN;
        const int width = textWidth(bodyName(index));
        const int radius = static_cast<int>(body.radius);
        double x = static_cast<int>(body.x) - width / 2;
        double y = isMoon ? static_cast<int>(body.y) - radius - 4 - NAME_LINE : static_cast<int>(body.y) + radius + 4;
        if (y + NAME_LINE > height)
            y = static_cast<int>(body.y) - radius - 4 - NAME_LINE;
        else if (y < 0)
            y = static_cast<int>(body.y) + radius + 4;
        if (index != BODY_SUN && sun.shown &&
            touchesDisc(x - NAME_PAD, y - NAME_PAD, width + 2 * NAME_PAD, NAME_LINE + 2 * NAME_PAD, sun.x, sun.y,
                        sun.radius)) {
            y = static_cast<int>(body.y) - NAME_LINE / 2;
            x = body.x >= sun.x ? static_cast<int>(body.x) + radius + 6 : static_cast<int>(body.x) - radius - 6 - width;
        }
        names[index] = {true, static_cast<float>(x + width / 2.0), static_cast<float>(y + NAME_LINE / 2.0)};
    }
}

const char* bodyName(int body)
{
    // TODO(core): through tr() once core/i18n.h is in.
    nameTexts[body] = bodyTable[body].name ? bodyTable[body].name : "";
    return nameTexts[body].c_str();
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int ss_start(int width, int height) { return startViewer(width, height) ? 1 : 0; }

EMSCRIPTEN_KEEPALIVE void ss_resize(int width, int height) { resizeViewer(width, height); }

EMSCRIPTEN_KEEPALIVE void ss_frame()
{
    webglDrawScene();
    placeNames();
}

EMSCRIPTEN_KEEPALIVE int ss_name_count() { return BODY_ROW_COUNT; }
EMSCRIPTEN_KEEPALIVE const char* ss_name_text(int i) { return i >= 0 && i < BODY_ROW_COUNT ? bodyName(i) : ""; }
EMSCRIPTEN_KEEPALIVE float ss_name_x(int i) { return i >= 0 && i < BODY_ROW_COUNT ? names[i].x : 0.0f; }
EMSCRIPTEN_KEEPALIVE float ss_name_y(int i) { return i >= 0 && i < BODY_ROW_COUNT ? names[i].y : 0.0f; }
EMSCRIPTEN_KEEPALIVE int ss_name_shown(int i)
{
    return i >= 0 && i < BODY_ROW_COUNT && showNames && names[i].shown ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int ss_identification(int on)
{
    const bool was = webglIdentificationPass;
    webglIdentificationPass = on != 0;
    return was ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int ss_steps() { return steps; }
EMSCRIPTEN_KEEPALIVE int ss_view_mode() { return viewMode; }
EMSCRIPTEN_KEEPALIVE int ss_show_help() { return showHelp ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int ss_show_names() { return showNames ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int ss_show_orbits() { return showOrbits ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int ss_date_mode() { return dateMode ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE void ss_pause(int paused) { setPagePaused(paused != 0); }

}  // extern "C"

// TODO(core): the controls, texts and clock through the core once they are
// there; until then these do nothing.
extern "C" {
EMSCRIPTEN_KEEPALIVE void ss_key(int) {}
EMSCRIPTEN_KEEPALIVE void ss_special_key(int) {}
EMSCRIPTEN_KEEPALIVE int ss_key_code(const char*) { return 0; }
EMSCRIPTEN_KEEPALIVE void ss_mouse(int, int, int, int) {}
EMSCRIPTEN_KEEPALIVE void ss_motion(int, int) {}
EMSCRIPTEN_KEEPALIVE int ss_control_count() { return 0; }
EMSCRIPTEN_KEEPALIVE const char* ss_control_input(int) { return ""; }
EMSCRIPTEN_KEEPALIVE const char* ss_control_help(int) { return ""; }
EMSCRIPTEN_KEEPALIVE int ss_menu_count() { return 0; }
EMSCRIPTEN_KEEPALIVE const char* ss_menu_label(int) { return ""; }
EMSCRIPTEN_KEEPALIVE int ss_menu_value(int) { return 0; }
EMSCRIPTEN_KEEPALIVE int ss_select_body(int) { return 0; }
EMSCRIPTEN_KEEPALIVE const char* ss_fact_caption() { return ""; }
EMSCRIPTEN_KEEPALIVE const char* ss_fact_text() { return ""; }
EMSCRIPTEN_KEEPALIVE const char* ss_status_line() { return ""; }
EMSCRIPTEN_KEEPALIVE int ss_credit_count() { return 0; }
EMSCRIPTEN_KEEPALIVE const char* ss_credit(int) { return ""; }
EMSCRIPTEN_KEEPALIVE void ss_catalog_clear() {}
EMSCRIPTEN_KEEPALIVE void ss_catalog_add(const char*, const char*, const char*) {}
EMSCRIPTEN_KEEPALIVE int ss_set_date(const char*) { return 1; }
EMSCRIPTEN_KEEPALIVE int ss_animating() { return animating ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE double ss_time_rate() { return 1.0; }
}
