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
#   viewer_state  app/viewer_state.*, date_view.* the viewer's globals
#   render        render/                         textures and scene rendering
#   viewer        app/ but viewer_state.*, main   the GLUT callbacks
#   app           app/main.cpp                    the executable
#   tools         tools/                          programs beside the viewer
#   python        python/                         the Python package solar_system
# tests/, bench/ and fuzz/ sit above everything and may include anything.
set -euo pipefail

# Which layers each layer may include (itself included).
declare -A ALLOWED=(
  [tuning]="tuning"
  [platform]="platform tuning"
  [image]="image platform tuning"
  [model]="model tuning"
  [sky]="sky platform tuning"
  [viewer_state]="viewer_state sky"
  [render]="render image platform sky viewer_state tuning"
  [viewer]="viewer render image platform sky viewer_state tuning"
  [app]="app viewer render image platform sky viewer_state tuning"
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
    app/viewer_state.* | app/date_view.*) echo viewer_state ;;
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
  done < <(cd "$root" && find platform image model sky app render tools python -type f \
             \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
  return $bad
}

self_test() {
  local tmp status=0
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN
  mkdir -p "$tmp/image" "$tmp/app" "$tmp/platform" "$tmp/render"
  printf '#include "platform/file_map.h"\n#include "image/image.h"\n' > "$tmp/image/dib.cpp"
  printf '#include "image/image.h"\n#include "app/viewer_state.h"\n' > "$tmp/render/texture_set.cpp"
  : > "$tmp/app/viewer_state.h"
  : > "$tmp/platform/file_map.h"
  : > "$tmp/image/image.h"
  if ! check_tree "$tmp" >/dev/null; then
    echo "self-test: a tree without upward includes was refused"
    status=1
  fi
  # The decoders must not reach the viewer's state.
  printf '#include "app/viewer_state.h"\n' >> "$tmp/image/dib.cpp"
  if check_tree "$tmp" >/dev/null; then
    echo "self-test: a planted upward include (image -> viewer_state) passed"
    status=1
  fi
  [ $status -eq 0 ] && echo "self-test: planted upward include refused"
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
