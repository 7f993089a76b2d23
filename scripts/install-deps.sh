#!/usr/bin/env bash
# Installs the Debian packages this project needs and the machine lacks.
#   install-deps.sh run    what building and running the viewer needs
#   install-deps.sh test   that, plus what the test suite needs
#   install-deps.sh web    what building the viewer's web page needs
# `test` and `web` also install the npm packages of package-lock.json
# (npm ci) into node_modules/ when they are not there as the lock names them.
set -euo pipefail
want=(g++ cmake make pkg-config freeglut3-dev libglu1-mesa-dev libgtk-3-dev libpng-dev libjpeg62-turbo-dev fonts-nanum
      libfreetype-dev libfontconfig-dev
      nlohmann-json3-dev libnova-dev gettext)
# The maps the pictures of the Sun, the planets and the Moon are made from
# (tools/make-textures): about 247 MB to download, 389 MB installed.
want+=(stellarium-data xplanet-images)
if [ "${1:-run}" = test ]; then
  want+=(ccache libgtest-dev libbenchmark-dev xvfb xauth xdotool x11-utils imagemagick
         libstb-dev apitrace clang-14 libclang-rt-14-dev clang-format procps gdb
         dpkg-dev file desktop-file-utils man-db lintian appstream xdg-user-dirs locales
         python3-dev pybind11-dev python3-pybind11 python3-numpy python3-pytest python3-tinyobjloader)
fi
# The web page: emscripten builds the viewer (and, in CI, the platform-free
# core alone: build-core-wasm.sh) to WebAssembly, node runs the build's
# steps and the browser tests, which drive Debian's chromium.
case ${1:-run} in
  test|web) want+=(emscripten chromium nodejs imagemagick) ;;
esac
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# npm itself: Debian's package, unless node came with its own (NodeSource's
# nodejs carries npm and conflicts with Debian's).
case ${1:-run} in
  test|web)
    if ! command -v npm >/dev/null; then
      export DEBIAN_FRONTEND=noninteractive
      apt-get update -qq
      apt-get install -y -qq --no-install-recommends npm
    fi
    root=$(cd "$(dirname "$0")/.." && pwd)
    # npm ci empties node_modules/ and installs exactly the lock; it runs
    # again only when the lock has changed since.
    if ! cmp -s "$root/package-lock.json" "$root/node_modules/.package-lock.json.installed" 2>/dev/null; then
      (cd "$root" && npm ci --no-audit --no-fund --ignore-scripts)
      cp "$root/package-lock.json" "$root/node_modules/.package-lock.json.installed"
    fi
    ;;
esac
