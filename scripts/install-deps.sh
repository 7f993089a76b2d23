#!/usr/bin/env bash
# Installs the Debian packages this project needs and the machine lacks.
#   install-deps.sh run    what building and running the viewer needs
#   install-deps.sh test   that, plus what the test suite needs
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
# The platform-free core is built for WebAssembly as well (build-core-wasm.sh).
[ "${1:-run}" = test ] && want+=(emscripten)
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
