#!/usr/bin/env bash
# Runs the fuzz targets of a SOLAR_FUZZ build for a while each.
#   fuzz/run.sh BUILD SECONDS WORK [TARGET...]
# BUILD is the fuzz build folder, WORK a scratch folder that keeps the corpora
# between runs (WORK/corpus/TARGET) and receives any crashing input
# (WORK/findings/TARGET-...).  Targets default to all of them.  Exits 1 when a
# target finds a crash, a leak, a timeout or an out-of-memory input.  The
# largest picture the loaders accept (2^28 pixels) takes 768 MiB, so single
# allocations up to 1 GiB are allowed, and an input may take up to 30 s (a
# picture that large takes seconds under the sanitizers on a loaded machine).
# FUZZ_EXTRA_ARGS adds libFuzzer options (for instance -runs=5000000).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1 seconds=$2 work=$3
shift 3
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(dib bmp sgi ppm obj)
testdata="$here/../tests/data"

mkdir -p "$work/findings"
seeds=$(mktemp -d "$work/seeds.XXXXXX")
trap 'rm -rf "$seeds"' EXIT
"$build/fuzz/fuzz_seeds" "$seeds"

status=0
for t in "${targets[@]}"; do
  corpus="$work/corpus/$t"
  mkdir -p "$corpus"
  cp -n "$seeds/$t"/* "$corpus"/ || true
  # Inputs that once found a fault stay in every corpus.
  find "$here/../tests/data/regressions" -name "$t-*" -exec cp -n {} "$corpus"/ \;
  dict=$t
  case $t in
    dib|bmp) max_len=20000 dict=bmp
             [ -d "$testdata/bmpsuite" ] && find "$testdata/bmpsuite" -name '*.bmp' -exec cp -n {} "$corpus"/ \; ;;
    sgi|obj) max_len=8192 ;;
    *)       max_len=4096 ;;
  esac
  log="$work/$t.log"
  # -close_fd_mask=3 silences the readers' own messages; sanitizer and
  # libFuzzer reports still reach the log.
  if "$build/fuzz/fuzz_$t" "$corpus" -dict="$here/$dict.dict" -max_total_time="$seconds" \
       -max_len=$max_len -timeout=30 -rss_limit_mb=3072 -malloc_limit_mb=1024 \
       -close_fd_mask=3 -print_final_stats=1 \
       -artifact_prefix="$work/findings/$t-" ${FUZZ_EXTRA_ARGS:-} >"$log" 2>&1; then
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
    echo "fuzz $t: no finding in ${seconds}s: ${done_line:-?}"
  else
    status=1
    echo "fuzz $t: FINDING (log $log):"
    grep -E 'ERROR|SUMMARY|Test unit written|runtime error|DEADLYSIGNAL' "$log" | head -20 || tail -30 "$log"
  fi
done
exit $status
