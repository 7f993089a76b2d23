// objtool: inspect, convert and view Wavefront OBJ models with the model
// library.  The first argument names the subcommand; each parses the rest
// with the one option parser of options.cpp.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/objtool/objtool.h"

namespace {

const char USAGE[] = "usage: objtool COMMAND ...\n"
                     "\n"
                     "  objtool info FILE.obj [--json]\n"
                     "      counts (objects, smoothing groups, lines, points and vertex colours\n"
                     "      too), extents, centre, groups, materials and reader warnings\n"
                     "  objtool convert IN.obj OUT.obj [operations] [--mode MODE ...] [--modelled-only]\n"
                     "      operations, applied in the order given:\n"
                     "        --unitize          centre the model and scale it into [-1, 1]\n"
                     "        --scale F          multiply every position by F\n"
                     "        --reverse          reverse the winding of every triangle\n"
                     "        --facet-normals    one normal per triangle\n"
                     "        --smooth ANGLE     facet normals, then normals averaged across\n"
                     "                           edges sharper than ANGLE degrees (0-180)\n"
                     "        --weld EPSILON     merge vertices closer than EPSILON on each axis\n"
                     "        --linear-uv        texture coordinates from x and z\n"
                     "        --sphere-uv        texture coordinates from the normals\n"
                     "      --mode flat|smooth|texture|color|material|plain (repeat or join\n"
                     "      with commas); without it, whatever the model has is written.\n"
                     "      Object names, smoothing groups, lines, points, vertex colours and\n"
                     "      material statements the library does not use are kept; statements\n"
                     "      nothing keeps (curv, surf, ...) are named in a warning.\n"
                     "      --modelled-only writes only what the modes above write\n"
                     "  objtool view FILE.obj [--mode MODE] [--angle DEG] [--wireframe] [--unlit]\n"
                     "               [--snapshot OUT.png|OUT.ppm] [--size WxH]\n"
                     "      a window with the model, its materials and map_Kd textures (BMP, SGI,\n"
                     "      PPM, PNG, JPEG), vertex colours, lines and points; keys: f s t c m\n"
                     "      draw modes, l lighting, w wireframe, n recompute normals, [ ] smoothing\n"
                     "      angle, + - zoom, r reset, q or Esc quit; drag to orbit, wheel to zoom.\n"
                     "      --snapshot renders one frame into a PNG (.png) or raw PPM picture\n"
                     "      and exits\n"
                     "  objtool help, objtool --help\n"
                     "  objtool --version\n"
                     "\n"
                     "Exit status: 0 success, 1 a file could not be read or written, 2 usage.\n";

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
};

const Command COMMANDS[] = {
    {"info", commandInfo},
    {"convert", commandConvert},
    {"view", commandView},
};

}  // namespace

int main(int argc, char** argv)
{
    initMessages();
    if (argc < 2) {
        std::fputs(USAGE, stderr);
        return EXIT_USAGE;
    }
    const char* command = argv[1];
    if (!std::strcmp(command, "help") || !std::strcmp(command, "--help") || !std::strcmp(command, "-h")) {
        std::fputs(USAGE, stdout);
        return std::fflush(stdout) == 0 ? EXIT_OK : EXIT_FAILED;
    }
    if (!std::strcmp(command, "--version")) {
        std::printf("objtool %s\n", SOLAR_SYSTEM_VERSION);
        return std::fflush(stdout) == 0 ? EXIT_OK : EXIT_FAILED;
    }
    for (const Command& c : COMMANDS)
        if (!std::strcmp(command, c.name))
            return c.run(argc - 2, argv + 2);
    fail(std::string("unknown command \"") + command + "\" (see objtool --help)");
    return EXIT_USAGE;
}
