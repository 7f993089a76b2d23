#!/usr/bin/env bash
# Runs the fuzz targets of a SOLAR_FUZZ build for a while each.
#   fuzz/run.sh BUILD SECONDS WORK [TARGET...]
# BUILD is the fuzz build folder, WORK a scratch folder that keeps the corpora
# between runs (WORK/corpus/TARGET) and receives any crashing input
# (WORK/findings/TARGET-...).  Targets default to all of them.  Exits 1 when a
# target finds a crash, a leak, a timeout or an out-of-memory input.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1 seconds=$2 work=$3
shift 3
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(dib bmp sgi ppm obj)
testdata="$here/../../shared/testdata"

mkdir -p "$work/findings"
seeds=$(mktemp -d "$work/seeds.XXXXXX")
trap 'rm -rf "$seeds"' EXIT
"$build/fuzz/fuzz_seeds" "$seeds"

status=0
for t in "${targets[@]}"; do
  corpus="$work/corpus/$t"
  mkdir -p "$corpus"
  cp -n "$seeds/$t"/* "$corpus"/
  case $t in
    dib|bmp) max_len=20000
             [ -d "$testdata/bmpsuite" ] && find "$testdata/bmpsuite" -name '*.bmp' -exec cp -n {} "$corpus"/ \; ;;
    sgi|obj) max_len=8192 ;;
    *)       max_len=4096 ;;
  esac
  log="$work/$t.log"
  # -close_fd_mask=3 silences the readers' own messages; sanitizer and
  # libFuzzer reports still reach the log.
  if "$build/fuzz/fuzz_$t" "$corpus" -dict="$here/$t.dict" -max_total_time="$seconds" \
       -max_len=$max_len -timeout=10 -rss_limit_mb=1536 -malloc_limit_mb=512 \
       -close_fd_mask=3 -print_final_stats=1 \
       -artifact_prefix="$work/findings/$t-" >"$log" 2>&1; then
    done_line=$(grep -E '^#[0-9]+ +DONE' "$log" | tail -1 || true)
    echo "fuzz $t: no finding in ${seconds}s: ${done_line:-?}"
  else
    status=1
    echo "fuzz $t: FINDING (log $log):"
    grep -E 'ERROR|SUMMARY|Test unit written|runtime error|DEADLYSIGNAL' "$log" | head -20 || tail -30 "$log"
  fi
done
exit $status
