#!/usr/bin/env bash
# Builds and runs the test suite under a private Xvfb that this script
# starts and stops.
#   scripts/test.sh         the full run CI uses: format and layer checks, a
#                           normal build, an AddressSanitizer +
#                           UndefinedBehaviorSanitizer build, and a minute of
#                           fuzzing for every reader; every build with
#                           warnings as errors, and three more that are built
#                           only: Release (with its link-time optimisation),
#                           clang 14, and the platform-free core for
#                           WebAssembly (emscripten)
#   scripts/test.sh quick   one normal build and the whole ctest suite
# Compilations go through ccache when it is installed, shared by every
# clone of the tree whatever its folder.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-full}
case $mode in
  full|quick) ;;
  *) echo "usage: scripts/test.sh [quick]" >&2; exit 2 ;;
esac
scripts/install-deps.sh test
jobs=$(nproc)
launch=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$PWD
  launch=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
werror=()
[ "$mode" = full ] && werror=(-DSOLAR_WERROR=ON)

# The language tests run the viewer under English and Korean locales.
for want in en_US.UTF-8 ko_KR.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qix "${want/UTF-8/utf8}"; then
    localedef -i "${want%%.*}" -c -f UTF-8 "$want"
  fi
done

# A private X server for the tests that open windows.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=":$n"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export LC_ALL=C.UTF-8

status=0
if [ "$mode" = full ]; then
  scripts/check-format.sh || status=1
  scripts/check-layers.sh || status=1
  scripts/check-layers.sh --self-test || status=1
  scripts/check-writers.sh || status=1
  scripts/check-writers.sh --self-test || status=1
fi
cmake -S . -B build "${launch[@]}" "${werror[@]}" >/dev/null
cmake --build build -j"$jobs"
# The web page's site, for its browser tests and its Debian package: made
# after the desktop build, whose pictures it takes, and seen by the
# configuration run again here.
if [ "$mode" = full ]; then
  SOLAR_IMAGES=$PWD/build/image scripts/build-web.sh build-web
  cmake -S . -B build >/dev/null
fi
# Tests that share the X server (and its keyboard focus) hold the resource
# lock "display", so they run one at a time; the rest run beside them.
ctest --test-dir build --output-on-failure -j"$jobs" || status=1
[ "$mode" = quick ] && exit $status

cmake -S . -B build-asan "${launch[@]}" "${werror[@]}" -DSOLAR_SANITIZE=ON -DSOLAR_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" || status=1

# Fuzz build (clang 14: libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer,
# assertions on) and a one-minute run of every reader's fuzz target, two at a
# time; any crash, leak, hang or unbounded allocation fails the run.
cmake -S . -B build-fuzz "${launch[@]}" "${werror[@]}" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DSOLAR_FUZZ=ON -DSOLAR_TESTS=OFF -DSOLAR_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_dib fuzz_bmp fuzz_sgi fuzz_ppm fuzz_png fuzz_jpeg fuzz_obj fuzz_obj_paths fuzz_seeds
fuzz_status=0
fuzz/run.sh build-fuzz 60 build-fuzz/work dib bmp sgi png > build-fuzz/run-images.txt 2>&1 &
fuzz_images=$!
fuzz/run.sh build-fuzz 60 build-fuzz/work ppm jpeg obj obj_paths > build-fuzz/run-models.txt 2>&1 || fuzz_status=1
wait "$fuzz_images" || fuzz_status=1
cat build-fuzz/run-images.txt build-fuzz/run-models.txt
[ $fuzz_status -eq 0 ] || status=1

# Built, not run again: the Release build, whose optimisation and link-time
# optimisation find warnings the others do not, and everything under clang.
cmake -S . -B build-release "${launch[@]}" "${werror[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release -j"$jobs" || status=1
cmake -S . -B build-clang "${launch[@]}" "${werror[@]}" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build build-clang -j"$jobs" || status=1
scripts/build-core-wasm.sh build-core-wasm || status=1

exit $status
