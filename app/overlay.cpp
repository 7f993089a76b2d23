// What is drawn over the scene: names beside the bodies (or a close-up's
// title), the status line, the help panel and the short notice.
#include "app/overlay.h"

#include <GL/glut.h>

#include <algorithm>
#include <string>

#include "app/status_line.h"
#include "core/bodies.h"
#include "core/texts.h"
#include "core/viewer_state.h"
#include "render/render.h"
#include "render/text.h"

std::string noticeText;

namespace {

// Sizes in pixels, readable in the 900 x 800 window.
constexpr int NAME_SIZE = 15;
constexpr int TITLE_SIZE = 28;
constexpr int STATUS_SIZE = 16;
constexpr int HELP_SIZE = 17;
constexpr int HELP_TITLE_SIZE = 22;
constexpr int CREDIT_SIZE = 13;
constexpr int PAD = 4;

constexpr float WHITE[3] = {1.0f, 1.0f, 1.0f};
constexpr float KEY_COLOUR[3] = {1.0f, 0.85f, 0.45f};

// While a screenshot is being drawn the notice stays out of the picture.
bool drawingPicture = false;
int noticeGeneration = 0;

void clearNotice(int generation)
{
    if (generation != noticeGeneration)
        return;  // a newer notice is showing; its own timer ends it
    noticeText.clear();
    glutPostRedisplay();
}

// A line of text on a dark backing, its top-left corner at (x, y).
void label(const std::string& text, int x, int y, int size, const float rgb[3])
{
    const int width = textWidth(text, size);
    drawBacking(x - PAD, y - PAD / 2, width + 2 * PAD, textLineHeight(size) + PAD);
    drawText(text, x, y, size, rgb);
}

// Whether a rectangle (y down) touches a disc.
bool touchesDisc(int x, int y, int w, int h, double cx, double cy, double r)
{
    const double nx = std::clamp(cx, static_cast<double>(x), static_cast<double>(x + w));
    const double ny = std::clamp(cy, static_cast<double>(y), static_cast<double>(y + h));
    return (nx - cx) * (nx - cx) + (ny - cy) * (ny - cy) < r * r;
}

// Each body's name beside it: below it, a moon's above (it sits right next
// to its planet); a name that would cover the sun moves to the body's side
// away from the sun.
void drawNames(const GLdouble projection[16], const GLint viewport[4])
{
    static const GLdouble identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const int lineHeight = textLineHeight(NAME_SIZE);
    struct OnScreen {
        bool shown = false;
        double x = 0, y = 0, radius = 0;  // y down
    } bodies[BODY_ANCHOR_COUNT];
    for (int body = 0; body < BODY_ANCHOR_COUNT; ++body) {
        const BodyAnchor& anchor = bodyAnchors[body];
        if (!anchor.drawn || anchor.eye[2] >= 0.0f)
            continue;  // not drawn, or behind the camera
        GLdouble cx, cy, cz, ex, ey, ez;
        if (!gluProject(anchor.eye[0], anchor.eye[1], anchor.eye[2], identity, projection, viewport, &cx, &cy, &cz) ||
            !gluProject(anchor.eye[0], anchor.eye[1] + anchor.radius, anchor.eye[2], identity, projection, viewport,
                        &ex, &ey, &ez))
            continue;
        if (cz < 0.0 || cz > 1.0)
            continue;  // outside the depth range: clipped away
        bodies[body] = {true, cx, viewport[3] - cy, std::max(ey - cy, 2.0)};
    }
    const OnScreen& sun = bodies[BODY_SUN];
    for (int index = 0; index < BODY_ANCHOR_COUNT; ++index) {
        const OnScreen& body = bodies[index];
        const BodyRow& row = bodyTable[index];
        if (!body.shown || !row.name)
            continue;
        const bool isMoon = row.centre != NO_BODY && row.centre != BODY_SUN;
        const std::string name = bodyNameText(row);
        const int width = textWidth(name, NAME_SIZE);
        const int radius = static_cast<int>(body.radius);
        int x = static_cast<int>(body.x) - width / 2;
        int y = isMoon ? static_cast<int>(body.y) - radius - 4 - lineHeight : static_cast<int>(body.y) + radius + 4;
        // Kept inside the window: a name that would fall off the bottom (or
        // the top) goes to the other side of its body.
        if (y + lineHeight > viewport[3])
            y = static_cast<int>(body.y) - radius - 4 - lineHeight;
        else if (y < 0)
            y = static_cast<int>(body.y) + radius + 4;
        if (index != BODY_SUN && sun.shown &&
            touchesDisc(x - PAD, y - PAD, width + 2 * PAD, lineHeight + 2 * PAD, sun.x, sun.y, sun.radius)) {
            y = static_cast<int>(body.y) - lineHeight / 2;
            x = body.x >= sun.x ? static_cast<int>(body.x) + radius + 6 : static_cast<int>(body.x) - radius - 6 - width;
        }
        label(name, x, y, NAME_SIZE, WHITE);
    }
}

// The body whose close-up the view mode shows, or null for the overview.
const BodyRow* closeUpShown()
{
    const BodyRow* body = bodyForViewMode(viewMode);
    return body && body->closeUp != NO_CLOSE_UP ? body : nullptr;
}

// A close-up's title: the body's name, top centre.
void drawTitle(const BodyRow& body, int width)
{
    const std::string name = bodyNameText(body);
    label(name, (width - textWidth(name, TITLE_SIZE)) / 2, 16, TITLE_SIZE, WHITE);
}

void drawHelp(int width, int height)
{
    const std::string title = helpTitle();
    const std::vector<std::pair<std::string, std::string>> rows = helpRows();
    int inputWidth = 0, helpWidth = 0;
    for (const auto& [input, help] : rows) {
        inputWidth = std::max(inputWidth, textWidth(input, HELP_SIZE));
        helpWidth = std::max(helpWidth, textWidth(help, HELP_SIZE));
    }
    // Below the controls, the credits of the bodies' maps in smaller type.
    const std::string creditTitle = creditsTitle();
    const std::vector<std::pair<std::string, std::string>> credits = creditLines();
    int bodyWidth = 0, creditWidth = 0;
    for (const auto& [body, credit] : credits) {
        bodyWidth = std::max(bodyWidth, textWidth(body, CREDIT_SIZE));
        creditWidth = std::max(creditWidth, textWidth(credit, CREDIT_SIZE));
    }
    const int gap = 24, margin = 18, creditGap = 12;
    const int row = textLineHeight(HELP_SIZE) + 3;
    const int creditRow = textLineHeight(CREDIT_SIZE) + 1;
    const int titleHeight = textLineHeight(HELP_TITLE_SIZE) + 10;
    const int creditsHeight = credits.empty() ? 0 : creditGap + row + static_cast<int>(credits.size()) * creditRow;
    const int panelWidth =
        std::max({inputWidth + gap + helpWidth, textWidth(title, HELP_TITLE_SIZE), bodyWidth + gap + creditWidth}) +
        2 * margin;
    const int panelHeight = titleHeight + static_cast<int>(rows.size()) * row + creditsHeight + 2 * margin;
    const int left = std::max(0, (width - panelWidth) / 2);
    const int top = std::max(0, (height - panelHeight) / 2);
    drawBacking(left, top, panelWidth, panelHeight, 0.88f);
    drawText(title, left + margin, top + margin, HELP_TITLE_SIZE, WHITE);
    int y = top + margin + titleHeight;
    for (const auto& [input, help] : rows) {
        drawText(input, left + margin, y, HELP_SIZE, KEY_COLOUR);
        drawText(help, left + margin + inputWidth + gap, y, HELP_SIZE, WHITE);
        y += row;
    }
    if (credits.empty())
        return;
    y += creditGap;
    drawText(creditTitle, left + margin, y, HELP_SIZE, WHITE);
    y += row;
    for (const auto& [body, credit] : credits) {
        drawText(body, left + margin, y, CREDIT_SIZE, KEY_COLOUR);
        drawText(credit, left + margin + bodyWidth + gap, y, CREDIT_SIZE, WHITE);
        y += creditRow;
    }
}

}  // namespace

std::vector<std::pair<std::string, std::string>> mapCreditLines() { return creditLines(); }

void showNotice(const std::string& text)
{
    noticeText = text;
    glutTimerFunc(2000, clearNotice, ++noticeGeneration);
    glutPostRedisplay();
}

void drawOverlays()
{
    const std::string status = statusText();
    const bool notice = !noticeText.empty() && !drawingPicture;
    if (!showHelp && !showNames && status.empty() && !notice)
        return;  // not a single OpenGL call: the plain frame stays as it was
    if (!textAvailable())
        return;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);

    beginOverlay(width, height);
    if (showNames) {
        if (const BodyRow* body = closeUpShown())
            drawTitle(*body, width);
        else
            drawNames(projection, viewport);
    }
    if (!status.empty())
        label(status, 12, height - 12 - textLineHeight(STATUS_SIZE), STATUS_SIZE, WHITE);
    if (showHelp)
        drawHelp(width, height);
    if (notice) {
        const int w = textWidth(noticeText, STATUS_SIZE);
        label(noticeText, (width - w) / 2, height - 12 - textLineHeight(STATUS_SIZE), STATUS_SIZE, KEY_COLOUR);
    }
    endOverlay();
}

// The picture as the user sees it, less the notice: the scene and the
// overlays drawn again into the back buffer and read back, top row first.
void readScreenshotPixels(int width, int height, unsigned char* rgbTopFirst)
{
    drawingPicture = true;
    drawScene();
    drawOverlays();
    drawingPicture = false;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPushAttrib(GL_PIXEL_MODE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgbTopFirst);
    glPopAttrib();
    glPopClientAttrib();
    // OpenGL reads the bottom row first.
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(rgbTopFirst + top * stride, rgbTopFirst + (top + 1) * stride, rgbTopFirst + bottom * stride);
}
