#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own.
#   scripts/check-layers.sh [ROOT]     check the tree at ROOT (default: this repository)
#   scripts/check-layers.sh --self-test  show that a planted upward include fails
#
# Every project header is included by its folder ("image/image.h"), so an
# include names its layer.  The layers, lowest first:
#   i18n          core/i18n.*                     tr() over the front end's lookup
#   tuning        platform/memory_tuning.*,       the platform without GTK: page and
#                 atomic_file.*, win_path.*       processor tuning, atomic file
#                                                 replacement, Windows-style paths
#   platform      platform/ but those             desktop services
#   image         image/                          picture decoders
#   model         model/                          OBJ/MTL/PPM library
#   sky           sky/                            positions of a date (libnova)
#   core          core/ but i18n.*                the platform-free core: state, body
#                                                 table, clock, input, controls, texts
#   webgl         webgl/                          the WebGL 2 renderer
#   web           web/                            the WebAssembly program
#   render        render/                         textures and scene rendering
#   viewer        app/ but main.cpp               the GLUT callbacks
#   app           app/main.cpp                    the executable
#   tools         tools/                          programs beside the viewer
#   python        python/                         the Python package solar_system
# tests/, bench/ and fuzz/ sit above everything and may include anything.
# Nothing in render/ includes from app/: the renderer sees the viewer's
# state only through core/.  The core is built for WebAssembly as well: it
# includes core/ and sky/ headers only (the sky's libnova-free ones; the
# sky's own headers include no libnova header) and no GL, GLU, GLUT, GTK,
# libintl or libnova header.
set -euo pipefail

# Which layers each layer may include (itself included).
declare -A ALLOWED=(
  [i18n]="i18n"
  [tuning]="tuning"
  [platform]="platform tuning i18n"
  [image]="image platform tuning i18n"
  [model]="model tuning"
  [sky]="sky platform tuning"
  [core]="core sky i18n"
  [render]="render image platform sky core tuning i18n"
  [viewer]="viewer render image platform sky core tuning i18n"
  [app]="app viewer render image platform sky core tuning i18n"
  [webgl]="webgl core i18n"
  [web]="web webgl core i18n"
  [tools]="tools model image platform tuning i18n"
  [python]="python model image tuning"
)

layer_of() {
  case $1 in
    core/i18n.*) echo i18n ;;
    platform/memory_tuning.* | platform/atomic_file.* | platform/win_path.*) echo tuning ;;
    platform/*) echo platform ;;
    image/*) echo image ;;
    model/*) echo model ;;
    sky/*) echo sky ;;
    core/*) echo core ;;
    webgl/*) echo webgl ;;
    web/*) echo web ;;
    app/main.cpp) echo app ;;
    app/*) echo viewer ;;
    render/*) echo render ;;
    tools/*) echo tools ;;
    python/*) echo python ;;
    *) echo top ;;
  esac
}

# Prints the desktop platform's headers FILE includes; returns 1 when any.
platform_headers() {
  local root=$1 file=$2 line status=0
  while IFS= read -r line; do
    echo "$file: $line: a platform header in the platform-free core"
    status=1
  done < <(grep -oE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(GL/|gtk|gdk|libintl\.h|libnova/)[^>]*>' \
             "$root/$file" || true)
  return $status
}

# Prints every upward include under ROOT; returns 1 when there is one.
check_tree() {
  local root=$1 bad=0 file from line target to
  while IFS= read -r file; do
    from=$(layer_of "$file")
    [ "$from" = top ] && continue
    while IFS= read -r line; do
      target=${line#*\"}
      target=${target%%\"*}
      # Only folder-qualified project headers name a layer; a bare name is a
      # file beside the includer.
      case $target in */*) ;; *) continue ;; esac
      [ -d "$root/${target%%/*}" ] || continue
      to=$(layer_of "$target")
      if [[ " ${ALLOWED[$from]} " != *" $to "* ]]; then
        echo "$file: includes \"$target\" ($to), above its layer ($from)"
        bad=1
      fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$root/$file" || true)
    # The core builds for WebAssembly: no GL, GLU, GLUT, GTK, libintl or
    # libnova header; nor in the sky headers it includes, nor in what the
    # WebGL renderer and the WebAssembly program include (they have their
    # own GLES headers, not the desktop's).
    case $from in
      core | i18n | webgl | web) platform_headers "$root" "$file" || bad=1 ;;
      sky) case $file in *.h) platform_headers "$root" "$file" || bad=1 ;; esac ;;
    esac
  done < <(cd "$root" && find platform image model sky core webgl web app render tools python -type f \
             \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
  return $bad
}

self_test() {
  local tmp status=0
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN
  mkdir -p "$tmp/image" "$tmp/app" "$tmp/platform" "$tmp/render" "$tmp/core" "$tmp/sky" "$tmp/webgl" "$tmp/web"
  printf '#include "platform/file_map.h"\n#include "image/image.h"\n' > "$tmp/image/dib.cpp"
  printf '#include "image/image.h"\n#include "core/viewer_state.h"\n' > "$tmp/render/texture_set.cpp"
  printf '#include "sky/sky.h"\n' > "$tmp/core/viewer_state.h"
  printf '#include "render/render.h"\n#include "core/viewer_state.h"\n' > "$tmp/app/input.cpp"
  printf '#include "core/i18n.h"\n' > "$tmp/image/sgi.cpp"
  printf '#include "core/viewer_state.h"\n' > "$tmp/webgl/renderer.cpp"
  printf '#include "webgl/renderer.h"\n#include "core/controls.h"\n' > "$tmp/web/api.cpp"
  : > "$tmp/core/i18n.h"
  : > "$tmp/core/controls.h"
  : > "$tmp/webgl/renderer.h"
  : > "$tmp/platform/i18n.h"
  : > "$tmp/app/controls.h"
  : > "$tmp/render/render.h"
  : > "$tmp/sky/sky.h"
  : > "$tmp/platform/file_map.h"
  : > "$tmp/image/image.h"
  if ! check_tree "$tmp" >/dev/null; then
    echo "self-test: a tree without upward includes was refused"
    status=1
  fi
  # Each planted include points up; the tree must be refused with each.
  planted() {
    local file=$1 header=$2 what=$3
    cp "$tmp/$file" "$tmp/$file.kept"
    printf '#include "%s"\n' "$header" >> "$tmp/$file"
    if check_tree "$tmp" >/dev/null; then
      echo "self-test: a planted upward include ($what) passed"
      status=1
    fi
    mv "$tmp/$file.kept" "$tmp/$file"
  }
  planted image/dib.cpp core/viewer_state.h "image -> core"
  planted render/texture_set.cpp app/controls.h "render -> app"
  planted core/viewer_state.h render/render.h "core -> render"
  planted core/viewer_state.h platform/i18n.h "core -> platform"
  planted core/i18n.h core/viewer_state.h "i18n -> core"
  planted webgl/renderer.cpp render/render.h "webgl -> render"
  planted webgl/renderer.cpp web/api.h "webgl -> web"
  planted web/api.cpp app/controls.h "web -> app"
  planted web/api.cpp platform/i18n.h "web -> platform"
  # A platform header in the core, its sky headers or the web's folders.
  platform_header() {
    local file=$1 header=$2
    cp "$tmp/$file" "$tmp/$file.kept"
    printf '#include <%s>\n' "$header" >> "$tmp/$file"
    if check_tree "$tmp" >/dev/null; then
      echo "self-test: <$header> in $file passed"
      status=1
    fi
    mv "$tmp/$file.kept" "$tmp/$file"
  }
  platform_header core/viewer_state.h GL/glu.h
  platform_header core/controls.h GL/freeglut.h
  platform_header core/controls.h gtk/gtk.h
  platform_header core/i18n.h libintl.h
  platform_header core/viewer_state.h libnova/julian_day.h
  platform_header sky/sky.h libnova/libnova.h
  platform_header webgl/renderer.cpp GL/gl.h
  platform_header web/api.cpp libintl.h
  [ $status -eq 0 ] && echo "self-test: planted upward includes refused"
  return $status
}

if [ "${1:-}" = --self-test ]; then
  self_test
  exit
fi
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
if check_tree "$root"; then
  echo "layers: no upward includes"
else
  exit 1
fi
