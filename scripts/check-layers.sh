#!/usr/bin/env bash
# Fails when a source file includes a header from a layer above its own.
#   scripts/check-layers.sh [ROOT]     check the tree at ROOT (default: this repository)
#   scripts/check-layers.sh --self-test  show that a planted upward include fails
#
# Every project header is included by its folder ("image/image.h"), so an
# include names its layer.  The layers, lowest first:
#   tuning        platform/memory_tuning.*,       the platform without GTK: page and
#                 atomic_file.*, win_path.*       processor tuning, atomic file
#                                                 replacement, Windows-style paths
#   platform      platform/ but those             desktop services
#   image         image/                          picture decoders
#   model         model/                          OBJ/MTL/PPM library
#   sky           sky/                            positions of a date (libnova)
#   core          core/                          the viewer's globals, the body table
#   render        render/                         textures and scene rendering
#   viewer        app/ but main.cpp               the GLUT callbacks
#   app           app/main.cpp                    the executable
#   tools         tools/                          programs beside the viewer
#   python        python/                         the Python package solar_system
# tests/, bench/ and fuzz/ sit above everything and may include anything.
# Nothing in render/ includes from app/: the renderer sees the viewer's
# state only through core/, which includes no GL, GLUT or GTK header.
set -euo pipefail

# Which layers each layer may include (itself included).
declare -A ALLOWED=(
  [tuning]="tuning"
  [platform]="platform tuning"
  [image]="image platform tuning"
  [model]="model tuning"
  [sky]="sky platform tuning"
  [core]="core sky platform tuning"
  [render]="render image platform sky core tuning"
  [viewer]="viewer render image platform sky core tuning"
  [app]="app viewer render image platform sky core tuning"
  [tools]="tools model image platform tuning"
  [python]="python model image tuning"
)

layer_of() {
  case $1 in
    platform/memory_tuning.* | platform/atomic_file.* | platform/win_path.*) echo tuning ;;
    platform/*) echo platform ;;
    image/*) echo image ;;
    model/*) echo model ;;
    sky/*) echo sky ;;
    core/*) echo core ;;
    app/main.cpp) echo app ;;
    app/*) echo viewer ;;
    render/*) echo render ;;
    tools/*) echo tools ;;
    python/*) echo python ;;
    *) echo top ;;
  esac
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
    # The viewer state is plain data: no GL, GLU, GLUT or GTK header.
    if [ "$from" = core ]; then
      while IFS= read -r line; do
        echo "$file: $line: a GL, GLUT or GTK header in the viewer state"
        bad=1
      done < <(grep -oE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(GL|gtk|gdk)/[^>]*>' "$root/$file" || true)
    fi
  done < <(cd "$root" && find platform image model sky core app render tools python -type f \
             \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
  return $bad
}

self_test() {
  local tmp status=0
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN
  mkdir -p "$tmp/image" "$tmp/app" "$tmp/platform" "$tmp/render" "$tmp/core" "$tmp/sky"
  printf '#include "platform/file_map.h"\n#include "image/image.h"\n' > "$tmp/image/dib.cpp"
  printf '#include "image/image.h"\n#include "core/viewer_state.h"\n' > "$tmp/render/texture_set.cpp"
  printf '#include "sky/sky.h"\n' > "$tmp/core/viewer_state.h"
  printf '#include "render/render.h"\n#include "core/viewer_state.h"\n' > "$tmp/app/input.cpp"
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
  cp "$tmp/core/viewer_state.h" "$tmp/core/viewer_state.h.kept"
  printf '#include <GL/glu.h>\n' >> "$tmp/core/viewer_state.h"
  if check_tree "$tmp" >/dev/null; then
    echo "self-test: a GL header in the viewer state passed"
    status=1
  fi
  mv "$tmp/core/viewer_state.h.kept" "$tmp/core/viewer_state.h"
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
