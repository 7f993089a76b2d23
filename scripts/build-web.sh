#!/usr/bin/env bash
# Builds the viewer as a web page: a folder of static files that any web
# server can serve (scripts/serve-web.sh serves it on 127.0.0.1).
#   scripts/build-web.sh [build folder]      default build-web; the site is <build folder>/site
# The site holds the page (web/page/), the program built to WebAssembly by
# emscripten, the catalogs of po/ as JSON, astronomy-engine's browser file,
# and the pictures of the desktop build's image/ folder made smaller for the
# web (JPEG, PNG for the figure's small ones), with image/index.json naming
# the web file of each.  Installs what it lacks first (install-deps.sh web).
# SOLAR_IMAGES=<folder> takes the pictures from that folder instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case ${1:-} in
  -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  --version) echo "build-web.sh (Solar System) 1.0.0"; exit 0 ;;
esac
out=$(realpath -m "${1:-$root/build-web}")
site=$out/site
"$root/scripts/install-deps.sh" web
jobs=$(nproc)

# The program: the emscripten build of the core and the WebGL 2 renderer.
wasm_built=0
if grep -q 'SOLAR_WEB' "$root/CMakeLists.txt"; then
  # Debian's emscripten finds acorn and its friends among Debian's node
  # modules; its HTML minifier is not used.
  export NODE_PATH=/usr/share/nodejs
  launch=()
  command -v ccache >/dev/null && launch=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  emcmake cmake -S "$root" -B "$out" -DSOLAR_WEB=ON "${launch[@]}" >/dev/null
  cmake --build "$out" -j"$jobs"
  wasm_built=1
else
  echo "build-web.sh: this tree has no WebAssembly build of the viewer yet (CMake option SOLAR_WEB);" \
       "the site gets the page without its program" >&2
fi

# The desktop's pictures, from a desktop build of the textures target.
images=${SOLAR_IMAGES:-}
if [ -z "$images" ]; then
  if [ -f "$root/build/image/earth.bmp" ]; then
    images=$root/build/image
  else
    cmake -S "$root" -B "$out/desktop" -DSOLAR_TESTS=OFF -DSOLAR_BENCH=OFF -DSOLAR_PYTHON=OFF >/dev/null
    cmake --build "$out/desktop" -j"$jobs" --target textures
    images=$out/desktop/image
  fi
fi

# Everything but the program, which the emscripten build writes into the
# site itself.
mkdir -p "$site"
find "$site" -mindepth 1 -maxdepth 1 ! -name 'solar-system.js' ! -name 'solar-system.wasm' -exec rm -rf {} +
mkdir -p "$site/i18n" "$site/image"
cp "$root"/web/page/*.html "$root"/web/page/*.js "$root"/web/page/*.css "$site/"
cp "$root/node_modules/astronomy-engine/astronomy.browser.min.js" "$site/"
node "$root/web/po-to-json.js" "$root/po" "$site/i18n"
if [ $wasm_built = 1 ]; then
  for file in solar-system.js solar-system.wasm; do
    if [ ! -f "$site/$file" ]; then
      echo "build-web.sh: the WebAssembly build wrote no $file into $site" >&2
      exit 1
    fi
  done
fi

# Pictures at web sizes: at most 2048 pixels wide, JPEG at quality 85 for
# the maps and the sky, PNG for the figure's small ones (sharp edges);
# image/index.json maps each picture's lower-case name, without its
# extension, to its web file.
index="{"
sep=""
for picture in "$images"/*.bmp; do
  name=$(basename "$picture" .bmp)
  name=${name,,}
  case $name in
    person*) web=$name.png; convert "$picture" -strip "$site/image/$web" ;;
    *) web=$name.jpg; convert "$picture" -resize '2048x2048>' -strip -interlace Plane -quality 85 "$site/image/$web" ;;
  esac
  index+="$sep\"$name\": \"$web\""
  sep=", "
done
echo "$index}" > "$site/image/index.json"

# Plain files to read, none to run (emscripten leaves the wasm executable).
find "$site" -type f -exec chmod 644 {} +
find "$site" -type d -exec chmod 755 {} +

pictures=$(du -cb "$site"/image/* | tail -1 | cut -f1)
code=$(find "$site" -maxdepth 1 -type f \( -name '*.js' -o -name '*.css' -o -name '*.html' -o -name '*.wasm' \) -print0 |
       sort -z | xargs -0 cat | gzip -9 | wc -c)
echo "build-web.sh: $site: pictures $((pictures / 1024)) KiB, code $((code / 1024)) KiB gzipped"
if [ "$pictures" -gt $((8 * 1024 * 1024)) ]; then
  echo "build-web.sh: the pictures exceed 8 MB" >&2
  exit 1
fi
