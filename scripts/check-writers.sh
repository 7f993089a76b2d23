#!/usr/bin/env bash
# Fails when product code writes PNG files or replaces files anywhere but in
# the one place that does it:
#   PNG encoding   image/ alone calls libpng's writer (png_create_write_struct,
#                  png_image_write_*); everyone else calls encodePng/writePng
#                  of image/picture.h
#   replacement    platform/atomic_file.cpp alone renames a file into place
#                  (rename, renameat, renameat2; os.rename or os.replace in
#                  Python); everyone else goes through platform/atomic_file.h
# Product code is every source under platform, image, model, sky, app,
# render, tools and python; tests/, bench/ and fuzz/ build their own files.
#   scripts/check-writers.sh [ROOT]     check the tree at ROOT (default: this repository)
#   scripts/check-writers.sh --self-test  show that a planted second writer fails
set -euo pipefail

PRODUCT="platform image model sky app render tools python"

# Prints every call outside its owner under ROOT; returns 1 when there is one.
check_tree() {
  local root=$1 bad=0 hits
  hits=$(cd "$root" && grep -rnE --include='*.cpp' --include='*.h' --include='*.c' \
           '\b(png_create_write_struct|png_image_write_to_(file|memory|stdio))\b' $PRODUCT 2>/dev/null |
           grep -v '^image/' || true)
  if [ -n "$hits" ]; then
    printf '%s\n' "$hits" | sed 's/$/   <- a PNG writer outside image\//'
    bad=1
  fi
  hits=$(cd "$root" && { grep -rnE --include='*.cpp' --include='*.h' --include='*.c' \
             '(^|[^_[:alnum:]])(rename|renameat2?)[[:space:]]*\(' $PRODUCT 2>/dev/null
           grep -rnE --include='*.py' '\bos\.(rename|replace)[[:space:]]*\(' $PRODUCT 2>/dev/null; } |
           grep -v '^platform/atomic_file\.cpp:' | grep -vE '^[^:]+:[0-9]+:[[:space:]]*(//|#)' || true)
  if [ -n "$hits" ]; then
    printf '%s\n' "$hits" | sed 's/$/   <- a file replaced outside platform\/atomic_file.cpp/'
    bad=1
  fi
  return $bad
}

self_test() {
  local tmp status=0
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN
  mkdir -p "$tmp/image" "$tmp/platform" "$tmp/app" "$tmp/model"
  printf 'png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, 0, 0, 0);\n' > "$tmp/image/picture.cpp"
  printf 'if (::rename(a, b) != 0)\n' > "$tmp/platform/atomic_file.cpp"
  printf '// rename(a, b) in a comment is no call\nbool renamed(int x);\n' > "$tmp/model/glm_save.cpp"
  if ! check_tree "$tmp" >/dev/null; then
    echo "self-test: a tree with one writer of each kind was refused"
    status=1
  fi
  printf 'png_image_write_to_memory(&image, 0, &size, 0, rgb, 0, 0);\n' > "$tmp/app/screenshot.cpp"
  if check_tree "$tmp" >/dev/null; then
    echo "self-test: a planted second PNG writer (app/) passed"
    status=1
  fi
  rm "$tmp/app/screenshot.cpp"
  printf '    std::rename(temp.c_str(), path.c_str());\n' > "$tmp/model/glm_save.cpp"
  if check_tree "$tmp" >/dev/null; then
    echo "self-test: a planted second replacement (model/) passed"
    status=1
  fi
  [ $status -eq 0 ] && echo "self-test: planted second writers refused"
  return $status
}

if [ "${1:-}" = --self-test ]; then
  self_test
  exit
fi
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
if check_tree "$root"; then
  echo "writers: one PNG writer (image/) and one file replacement (platform/atomic_file.cpp)"
else
  exit 1
fi
