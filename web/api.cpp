// The exports the page calls: the viewer's controls, texts and state, each
// taken from the core, so that the page lists nothing of its own.  What the
// core leaves to the platform (its hooks) is done here for a web page: no
// quitting, full screen through the browser, the sky of a date from the
// page's astronomy-engine.
#include "web/api.h"

#include <emscripten.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/bodies.h"
#include "core/camera.h"
#include "core/clock.h"
#include "core/controls.h"
#include "core/date.h"
#include "core/date_mode.h"
#include "core/i18n.h"
#include "core/texts.h"
#include "core/viewer_state.h"
#include "web/viewer.h"
#include "webgl/renderer.h"

// clang-format off
// Full screen on or off, as the browser does it.
EM_JS(void, toggleFullScreen, (), {
    if (document.fullscreenElement)
        document.exitFullscreen();
    else if (document.documentElement.requestFullscreen)
        document.documentElement.requestFullscreen().catch(function() {});
});

// The page's screenshot, if it offers one (it downloads the canvas as PNG).
EM_JS(void, pageScreenshot, (), {
    if (typeof Module["solarScreenshot"] === "function")
        Module["solarScreenshot"]();
});

// window.solarSky(jdTT): ten [longitude, latitude, distance] rows in the sky
// layer's order, written into out (30 doubles).  False when the page has no
// sky or it answered something else.
EM_JS(int, pageSky, (double jdTT, double* out), {
    if (typeof window === "undefined" || typeof window["solarSky"] !== "function")
        return 0;
    const rows = window["solarSky"](jdTT);
    if (!rows || rows.length !== 10)
        return 0;
    for (let i = 0; i < 10; ++i)
        for (let k = 0; k < 3; ++k)
            HEAPF64[(out >> 3) + i * 3 + k] = Number(rows[i][k]);
    return 1;
});

// Delta T (TT - UT, seconds) before 1972, from astronomy-engine's estimate
// when the page has loaded it; NaN without it.
EM_JS(double, pageDeltaT, (double jdUt), {
    const engine = typeof window !== "undefined" ? window["Astronomy"] : undefined;
    if (!engine || typeof engine.DeltaT_EspenakMeeus !== "function")
        return NaN;
    return engine.DeltaT_EspenakMeeus(jdUt - 2451545.0);
});
// clang-format on

namespace {

int steps = 0;

// ---- Texts: the catalog the page hands in, and the strings handed out ----

std::map<std::pair<std::string, std::string>, std::string> catalog;

const char* lookup(const char* context, const char* msgid)
{
    const auto it = catalog.find({context ? context : "", msgid});
    return it == catalog.end() || it->second.empty() ? msgid : it->second.c_str();
}

// Each export's string lives until that export is called again.
const char* hold(std::string& slot, std::string text)
{
    slot = std::move(text);
    return slot.c_str();
}

// ---- Hooks ----

std::string factCaptionText, factTextText;
bool factsShown = false;

void showFacts(const char* caption, const char* text)
{
    factCaptionText = caption ? caption : "";
    factTextText = text ? text : "";
    factsShown = true;
}

double terrestrialBefore1972(double jdUtc) { return jdUtc + pageDeltaT(jdUtc) / 86400.0; }

// Every body's position at jdUtc from the page's sky, in the sky layer's
// frame; Pluto's marked rough outside the years its theory was fitted to,
// as the desktop marks it.
void skyPositionsFromPage(double jdUtc, SkyPosition positions[SKY_BODY_COUNT])
{
    double rows[SKY_BODY_COUNT * 3];
    const double jdTT = skyTerrestrialTimeWith(jdUtc, terrestrialBefore1972);
    if (!pageSky(jdTT, rows)) {
        for (int body = 0; body < SKY_BODY_COUNT; ++body)
            positions[body] = {};
        return;
    }
    for (int body = 0; body < SKY_BODY_COUNT; ++body) {
        double longitude = std::fmod(rows[body * 3], 360.0);
        if (longitude < 0)
            longitude += 360.0;
        positions[body] = {longitude, rows[body * 3 + 1], rows[body * 3 + 2], false};
    }
    const int year = skyCalendarDate(jdUtc).year;
    positions[SKY_PLUTO].approximate = year < 1885 || year > 2099;
}

void installHooks()
{
    PlatformHooks hooks{};
    hooks.quit = nullptr;  // a page cannot quit; Esc is the page's
    hooks.fullScreen = toggleFullScreen;
    hooks.screenshot = pageScreenshot;
    // The main loop asks the core every frame whether a clock runs, and
    // draws every frame: nothing to install or post.
    hooks.showFacts = showFacts;
    hooks.skyPositions = skyPositionsFromPage;
    setPlatformHooks(hooks);
}

// ---- Names beside the bodies ----

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
std::string nameText;

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

void placeNames()
{
    struct OnScreen {
        bool shown = false;
        double x = 0, y = 0, radius = 0;
    } bodies[BODY_ROW_COUNT];
    const int height = viewerHeight();
    for (int body = 0; body < BODY_ROW_COUNT; ++body) {
        const WebglAnchor& anchor = webglAnchors[body];
        if (!anchor.drawn || anchor.eye[2] >= 0.0f)
            continue;  // not drawn (a close-up), or behind the camera
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
        const int width = textWidth(bodyNameText(row));
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

// ---- The body menu: the table's entries in the order of their values ----

std::vector<const BodyRow*> menuEntries()
{
    std::vector<const BodyRow*> entries;
    for (int value = 1; value <= BODY_ROW_COUNT; ++value)
        if (const BodyRow* row = bodyForMenuValue(value))
            entries.push_back(row);
    return entries;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int ss_start(int width, int height)
{
    setTranslator(lookup);
    installHooks();
    if (!startViewer(width, height))
        return 0;
    resetCamera();
    return 1;
}

EMSCRIPTEN_KEEPALIVE void ss_resize(int width, int height)
{
    resizeViewer(width, height);
    resetCamera();  // as the desktop's reshape does
}

EMSCRIPTEN_KEEPALIVE void ss_frame()
{
    if (!pagePaused()) {
        if (dateMode) {
            if (dateClockRunning)
                dateClockStep();
        } else if (animationClockOn()) {
            clockStep();
            ++steps;
        }
    }
    webglDrawScene();
    placeNames();
}

EMSCRIPTEN_KEEPALIVE void ss_key(int ascii)
{
    if (ascii > 0 && ascii < 256)
        keyPressed(static_cast<unsigned char>(ascii));
}

EMSCRIPTEN_KEEPALIVE void ss_special_key(int coreKey) { specialKeyPressed(coreKey); }

EMSCRIPTEN_KEEPALIVE int ss_key_code(const char* name)
{
    static const std::pair<const char*, int> codes[] = {
        {"up", CORE_KEY_UP}, {"down", CORE_KEY_DOWN}, {"left", CORE_KEY_LEFT}, {"right", CORE_KEY_RIGHT},
        {"F1", CORE_KEY_F1}, {"F11", CORE_KEY_F11},   {"F12", CORE_KEY_F12},
    };
    for (const auto& [text, code] : codes)
        if (name && std::strcmp(name, text) == 0)
            return code;
    return 0;
}

EMSCRIPTEN_KEEPALIVE void ss_mouse(int button, int down, int x, int y)
{
    if (button == CORE_BUTTON_LEFT)
        leftButton(down != 0, x, y);
    else if (down)
        buttonPressed(button);  // the wheel; the middle button does nothing
}

EMSCRIPTEN_KEEPALIVE void ss_motion(int x, int y) { dragTo(x, y); }

EMSCRIPTEN_KEEPALIVE int ss_control_count() { return static_cast<int>(helpRows().size()); }

EMSCRIPTEN_KEEPALIVE const char* ss_control_input(int i)
{
    static std::string text;
    const auto rows = helpRows();
    return hold(text, i >= 0 && i < static_cast<int>(rows.size()) ? rows[i].first : "");
}

EMSCRIPTEN_KEEPALIVE const char* ss_control_help(int i)
{
    static std::string text;
    const auto rows = helpRows();
    return hold(text, i >= 0 && i < static_cast<int>(rows.size()) ? rows[i].second : "");
}

EMSCRIPTEN_KEEPALIVE int ss_menu_count() { return static_cast<int>(menuEntries().size()); }

EMSCRIPTEN_KEEPALIVE const char* ss_menu_label(int i)
{
    static std::string text;
    const auto entries = menuEntries();
    return hold(text, i >= 0 && i < static_cast<int>(entries.size()) ? menuLabel(*entries[i]) : "");
}

EMSCRIPTEN_KEEPALIVE int ss_menu_value(int i)
{
    const auto entries = menuEntries();
    return i >= 0 && i < static_cast<int>(entries.size()) ? entries[i]->menuValue : NO_MENU_ENTRY;
}

EMSCRIPTEN_KEEPALIVE int ss_select_body(int value)
{
    factsShown = false;
    chooseBody(value);
    return factsShown ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* ss_fact_caption() { return factCaptionText.c_str(); }
EMSCRIPTEN_KEEPALIVE const char* ss_fact_text() { return factTextText.c_str(); }

EMSCRIPTEN_KEEPALIVE const char* ss_status_line()
{
    static std::string text;
    return hold(text, statusLine());
}

EMSCRIPTEN_KEEPALIVE int ss_credit_count() { return static_cast<int>(creditLines().size()); }

EMSCRIPTEN_KEEPALIVE const char* ss_credit(int i)
{
    static std::string text;
    const auto lines = creditLines();
    if (i < 0 || i >= static_cast<int>(lines.size()))
        return hold(text, "");
    return hold(text, lines[i].first + ": " + lines[i].second);
}

EMSCRIPTEN_KEEPALIVE int ss_name_count() { return BODY_ROW_COUNT; }

EMSCRIPTEN_KEEPALIVE const char* ss_name_text(int i)
{
    return hold(nameText, i >= 0 && i < BODY_ROW_COUNT ? bodyNameText(bodyTable[i]) : "");
}

EMSCRIPTEN_KEEPALIVE float ss_name_x(int i) { return i >= 0 && i < BODY_ROW_COUNT ? names[i].x : 0.0f; }
EMSCRIPTEN_KEEPALIVE float ss_name_y(int i) { return i >= 0 && i < BODY_ROW_COUNT ? names[i].y : 0.0f; }

EMSCRIPTEN_KEEPALIVE int ss_name_shown(int i)
{
    return i >= 0 && i < BODY_ROW_COUNT && showNames && names[i].shown ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void ss_catalog_clear() { catalog.clear(); }

EMSCRIPTEN_KEEPALIVE void ss_catalog_add(const char* context, const char* msgid, const char* msgstr)
{
    if (msgid && msgstr)
        catalog[{context ? context : "", msgid}] = msgstr;
}

EMSCRIPTEN_KEEPALIVE int ss_set_date(const char* text)
{
    double jdUtc = 0;
    const SkyDateStatus status = skyParseDate(text ? text : "", &jdUtc);
    if (status == SKY_DATE_OK)
        beginDateModeAt(jdUtc);
    return status;
}

EMSCRIPTEN_KEEPALIVE int ss_identification(int on)
{
    const bool was = webglIdentificationPass;
    webglIdentificationPass = on != 0;
    return was ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int ss_steps() { return steps; }
EMSCRIPTEN_KEEPALIVE int ss_view_mode() { return viewMode; }
EMSCRIPTEN_KEEPALIVE int ss_animating() { return animationClockOn() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int ss_show_help() { return showHelp ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int ss_show_names() { return showNames ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int ss_show_orbits() { return showOrbits ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE double ss_time_rate() { return timeBackwards ? -timeRate() : timeRate(); }
EMSCRIPTEN_KEEPALIVE int ss_date_mode() { return dateMode ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE void ss_pause(int paused) { setPagePaused(paused != 0); }

}  // extern "C"
