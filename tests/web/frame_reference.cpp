// The desktop renderer's identification pass, for the web page's frame test
// to compare the WebGL renderer with: the viewer's real window under X
// (900 x 800), each body drawn in its flat colour, after each number of
// clock steps given on the command line (counted from the start, ascending).
// Prints, as JSON, for each count the centroid and pixel count of every
// body's colour found, in window pixels from the top left:
//   {"0": {"0": [x, y, pixels], "3": [...], ...}, "500": {...}}
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/viewer.h"
#include "core/bodies.h"
#include "render/render.h"
#include "tests/support/render_fixture.h"

int main(int argc, char** argv)
{
    std::vector<long> counts;
    for (int i = 1; i < argc; ++i) {
        char* end = nullptr;
        const long n = std::strtol(argv[i], &end, 10);
        if (*end != '\0' || n < 0 || (!counts.empty() && n < counts.back())) {
            std::fprintf(stderr, "frame_reference: step counts ascending, from 0: %s\n", argv[i]);
            return 2;
        }
        counts.push_back(n);
    }
    int glutArgc = 1;
    openViewerWindow(&glutArgc, argv);
    resetViewer();
    identificationPass = true;
    long taken = 0;
    std::printf("{");
    for (std::size_t k = 0; k < counts.size(); ++k) {
        for (; taken < counts[k]; ++taken)
            animate();
        const Frame frame = drawFrame();
        std::printf("%s\"%ld\": {", k ? ", " : "", counts[k]);
        bool first = true;
        for (int body = 0; body < BODY_ROW_COUNT; ++body) {
            const IdentificationColour c = identificationColour(body);
            const Rgb colour{c.r, c.g, c.b};
            double x = 0, y = 0;
            long pixels = 0;
            for (int row = 0; row < frame.height; ++row)
                for (int column = 0; column < frame.width; ++column)
                    if (frame.at(column, row) == colour) {
                        x += column;
                        y += frame.height - 1 - row;
                        ++pixels;
                    }
            if (pixels == 0)
                continue;
            std::printf("%s\"%d\": [%.3f, %.3f, %ld]", first ? "" : ", ", body, x / pixels, y / pixels, pixels);
            first = false;
        }
        std::printf("}");
    }
    std::printf("}\n");
    identificationPass = false;
    closeViewerWindow();
    return 0;
}
