#!/usr/bin/env bash
# Runs the fuzz targets of a SOLAR_FUZZ build for a while each.
#   fuzz/run.sh BUILD SECONDS WORK [TARGET...]
# BUILD is the fuzz build folder, WORK a scratch folder that keeps the corpora
# between runs (WORK/corpus/TARGET) and receives any crashing input
# (WORK/findings/TARGET-...).  Targets default to all of them.  Exits 1 when a
# target finds a crash, a leak, a timeout or an out-of-memory input.
# The picture readers check the size a header claims against the bytes the
# file holds before they allocate, so with inputs of at most 20 KB no single
# allocation of theirs reaches 256 MB (an SGI run-length file of 8 KB may
# still claim 65535 x 960 pixels, 180 MiB, through rows that share their
# bytes): any input that asks for more is a finding.  Run-length bitmaps are
# the exception: an end-of-bitmap escape alone stands for a picture of up to
# 2^28 pixels (768 MiB).  The dib target therefore runs twice, once on every
# other bitmap under the 256 MB cap (corpus dib) and once on run-length
# bitmaps only (SOLAR_FUZZ_DIB=rle, corpus dib-rle) under a 1 GiB cap, where
# an input may take up to 30 s (a picture that large takes seconds under the
# sanitizers on a loaded machine).  The model reader keeps the 1 GiB cap.
# The PNG decoder refuses a picture deflate cannot make of the file's bytes,
# but a JPEG's entropy-coded data may stand for a picture of up to 2^28
# pixels in a few bytes (768 MiB in 3 channels, 1 GiB in 4): png runs under
# the 256 MB cap, jpeg under one of 1.5 GiB.
# FUZZ_EXTRA_ARGS adds libFuzzer options (for instance -runs=5000000).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1 seconds=$2 work=$3
shift 3
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(dib bmp sgi ppm png jpeg obj)
testdata="$here/../tests/data"

mkdir -p "$work/findings"
seeds=$(mktemp -d "$work/seeds.XXXXXX")
trap 'rm -rf "$seeds"' EXIT
"$build/fuzz/fuzz_seeds" "$seeds"

status=0
# Each target as one or more passes: name, allocation cap in MB, environment.
passes=()
for t in "${targets[@]}"; do
  case $t in
    dib)             passes+=("dib 256 -" "dib-rle 1024 SOLAR_FUZZ_DIB=rle") ;;
    bmp|sgi|ppm|png) passes+=("$t 256 -") ;;
    jpeg)            passes+=("$t 1536 -") ;;
    *)               passes+=("$t 1024 -") ;;
  esac
done
for pass in "${passes[@]}"; do
  read -r name malloc_limit env_setting <<<"$pass"
  t=${name%%-*}
  corpus="$work/corpus/$name"
  mkdir -p "$corpus"
  cp -n "$seeds/$t"/* "$corpus"/ || true
  # Inputs that once found a fault stay in every corpus.
  find "$here/../tests/data/regressions" -name "$t-*" -exec cp -n {} "$corpus"/ \;
  dict=$t
  schedule=()
  case $t in
    dib|bmp) max_len=20000 dict=bmp
             [ -d "$testdata/bmpsuite" ] && find "$testdata/bmpsuite" -name '*.bmp' -exec cp -n {} "$corpus"/ \; ;;
    sgi)     max_len=8192 ;;
    png|jpeg) max_len=20000 ;;
    # The model workout lights some 15,000 coverage features an input; the
    # entropic schedule's bookkeeping over them took three quarters of the
    # time, and the plain schedule runs about five times as many inputs (and
    # reached more coverage in the same minutes).
    obj)     max_len=8192 schedule=(-entropic=0) ;;
    *)       max_len=4096 ;;
  esac
  log="$work/$name.log"
  environment=()
  [ "$env_setting" = - ] || environment=("$env_setting")
  # -close_fd_mask=3 silences the readers' own messages; sanitizer and
  # libFuzzer reports still reach the log.
  if env "${environment[@]}" "$build/fuzz/fuzz_$t" "$corpus" -dict="$here/$dict.dict" \
       -max_total_time="$seconds" -max_len=$max_len -timeout=30 -rss_limit_mb=3072 \
       -malloc_limit_mb="$malloc_limit" -close_fd_mask=3 -print_final_stats=1 \
       -artifact_prefix="$work/findings/$name-" "${schedule[@]}" ${FUZZ_EXTRA_ARGS:-} >"$log" 2>&1; then
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
    echo "fuzz $name: no finding in ${seconds}s: ${done_line:-?}"
  else
    status=1
    echo "fuzz $name: FINDING (log $log):"
    grep -E 'ERROR|SUMMARY|Test unit written|runtime error|DEADLYSIGNAL|malloc' "$log" | head -20 || tail -30 "$log"
  fi
done
exit $status
