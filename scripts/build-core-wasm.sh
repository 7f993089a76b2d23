#!/usr/bin/env bash
# Builds the platform-free core (core/ and the libnova-free sky files it
# stands on) for WebAssembly with Debian's emscripten, warnings as errors:
# proof that the core includes nothing of the desktop's platform.  A small
# program linked against it, with no other library, then drives it under
# node: every symbol the core needs is in the core.
#   scripts/build-core-wasm.sh [BUILD_DIR]   objects, a static library and the
#                                            program in BUILD_DIR (default
#                                            build-core-wasm)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-build-core-wasm}
case $out in --help | -h)
  sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
  exit 0 ;;
esac
command -v em++ >/dev/null || { echo "build-core-wasm: em++ is not installed (apt-get install emscripten)" >&2; exit 2; }
# Debian's emscripten finds its node modules (acorn) only through NODE_PATH.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
mkdir -p "$out/obj"
sources=("$root"/core/*.cpp "$root"/sky/date.cpp "$root"/sky/leap_seconds.cpp)
objects=()
for src in "${sources[@]}"; do
  obj=$out/obj/$(basename "$(dirname "$src")")_$(basename "${src%.cpp}").o
  em++ -std=c++20 -O2 -Wall -Wextra -Werror -I "$root" -c "$src" -o "$obj"
  objects+=("$obj")
done
emar rcs "$out/libcore.a" "${objects[@]}"
echo "build-core-wasm: ${#objects[@]} files into $out/libcore.a"

cat > "$out/core_smoke.cpp" <<'PROGRAM'
#include <cstdio>
#include <cstring>

#include "core/clock.h"
#include "core/controls.h"
#include "core/texts.h"
#include "core/viewer_state.h"

int main()
{
    double jd = 0;
    char shown[32];
    if (skyParseDate("2025-01-16T02:38Z", &jd) != SKY_DATE_OK)
        return 1;
    skyFormatDate(jd, shown, sizeof shown);
    if (std::strcmp(shown, "2025-01-16 02:38") != 0)
        return 1;
    keyPressed('+');
    specialKeyPressed(CORE_KEY_UP);
    clockStep();
    std::printf("%s | %d controls | eyeZ %g | earthOrbit %g\n", statusLine().c_str(), CONTROL_COUNT, eyeZ,
                earthOrbit);
    return statusLine() == "Time 2×, forwards" ? 0 : 1;
}
PROGRAM
em++ -std=c++20 -O0 -Wall -Wextra -Werror -I "$root" "$out/core_smoke.cpp" "$out/libcore.a" -o "$out/core_smoke.js"
if command -v node >/dev/null; then
  node --no-experimental-fetch "$out/core_smoke.js"
fi
