#!/usr/bin/env bash
# Soak test of the real viewer: a private Xvfb, the solar-system binary of a
# build folder, and MINUTES of seeded random input sent through xdotool.
#
#   bash bench/app/soak.sh BUILD_DIR [MINUTES]      (MINUTES defaults to 10)
#
# Checks: the viewer stays alive and ends only on Esc (status 255); its
# resident memory, at the end, is at most 2 MB above what it was after the
# first minute; every body
# chosen in the menu shows its fact box, which closes again; and, read from
# the live process with gdb, every animation angle is bit for bit what one
# shared number of clock steps gives, while the camera heading, the drag
# rotation, the lighting switch and the view mode are what the inputs sent
# make them.  Exit status 0 when everything holds.
#
# Environment: SOAK_SEED (default 1) seeds the input sequence;
# SOAK_DISPLAYS (default 140 to 159) lists the X display
# numbers to try; SOAK_KEEP=1 keeps the work folder (logs, screenshots)
# also when every check holds.
set -uo pipefail

usage() { echo "usage: bash bench/app/soak.sh BUILD_DIR [MINUTES]" >&2; exit 2; }
[ $# -ge 1 ] && [ $# -le 2 ] || usage
BUILD=$(cd "$1" 2>/dev/null && pwd) || { echo "no build folder $1" >&2; exit 2; }
MINUTES=${2:-10}
[[ $MINUTES =~ ^[1-9][0-9]*$ ]] || usage
SEED=${SOAK_SEED:-1}
DISPLAYS=${SOAK_DISPLAYS:-$(seq -s " " 140 159)}
HERE=$(cd "$(dirname "$0")" && pwd)
VIEWER=$BUILD/solar-system
RSS_LIMIT_KB=2048
RSS_EVERY_MS=10000
CHECK_EVERY_MS=60000
# xdotool matches window names as UTF-8 regular expressions (the fact boxes
# have Hangul captions); EPOCHREALTIME needs a "." decimal point.
export LC_ALL=C.UTF-8

for tool in Xvfb xdotool gdb "${CXX:-c++}"; do
  command -v "$tool" >/dev/null || { echo "missing: $tool (bash scripts/install-deps.sh test)" >&2; exit 2; }
done
[ -x "$VIEWER" ] || { echo "no viewer at $VIEWER (build the solar-system target)" >&2; exit 2; }
ls "$BUILD"/image/*.bmp >/dev/null 2>&1 || { echo "no pictures in $BUILD/image (build the textures target)" >&2; exit 2; }
# The angles are read by name: the build needs its symbols (RelWithDebInfo).
gdb -nx -batch -ex 'print sizeof(mercuryOrbit)' "$VIEWER" 2>/dev/null | grep -q '= 4$' ||
  { echo "$VIEWER has no symbols for the viewer state (use a RelWithDebInfo build)" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/solar-soak.XXXXXX")
"${CXX:-c++}" -std=c++20 -O2 -o "$WORK/angles" "$HERE/angles.cpp" || { echo "cannot build the angle checker" >&2; exit 2; }

xvfb_pid=
viewer_pid=
viewer_status=
failed=0
cleanup() {
  if [ -n "$viewer_pid" ] && kill -0 "$viewer_pid" 2>/dev/null; then
    kill "$viewer_pid" 2>/dev/null
    for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.2; done
    kill -KILL "$viewer_pid" 2>/dev/null
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  if [ "$failed" = 0 ] && [ "${SOAK_KEEP:-0}" != 1 ]; then
    rm -rf "$WORK"
  else
    echo "work folder kept: $WORK"
  fi
}
trap cleanup EXIT
trap 'failed=1; echo "interrupted"; exit 130' INT TERM

# --- time and randomness ----------------------------------------------------
# RANDOM is reseeded in subshells, so it is only ever read here, in the main
# shell: the same seed gives the same sequence of inputs.
RANDOM=$SEED
R=0
rnd() { R=$(( RANDOM % $1 )); }                 # 0 .. $1-1
rnd_between() { R=$(( $1 + RANDOM % ($2 - $1 + 1) )); }
NOW=0
now_ms() { local t=${EPOCHREALTIME/./}; NOW=$(( t / 1000 )); }
sleep_ms() { sleep "$(( $1 / 1000 )).$(printf %03d $(( $1 % 1000 )))"; }

# --- the X server -------------------------------------------------------------
display=
for n in $DISPLAYS; do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 && { display=":$n"; break; }
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$display" ] && break
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; xvfb_pid=
done
[ -n "$display" ] || { failed=1; echo "no free X display among: $DISPLAYS" >&2; exit 2; }
export DISPLAY=$display

# --- the viewer ---------------------------------------------------------------
( cd "$BUILD" && exec ./solar-system ) >"$WORK/viewer.log" 2>&1 &
viewer_pid=$!

find_window() {  # NAME_PATTERN PATIENCE_MS -> WIN (empty when none)
  local end; now_ms; end=$(( NOW + $2 ))
  WIN=
  while :; do
    WIN=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
    [ -n "$WIN" ] && return 0
    now_ms; [ "$NOW" -lt "$end" ] || return 1
    sleep 0.05
  done
}
window_gone() {  # WIN NAME_PATTERN PATIENCE_MS
  local end; now_ms; end=$(( NOW + $3 ))
  while xdotool search --onlyvisible --name "$2" 2>/dev/null | grep -qx "$1"; do
    now_ms; [ "$NOW" -lt "$end" ] || return 1
    sleep 0.05
  done
}
viewer_alive() {
  kill -0 "$viewer_pid" 2>/dev/null || return 1
  [ "$(awk '{print $3}' "/proc/$viewer_pid/stat" 2>/dev/null)" != Z ]
}
shot() { command -v import >/dev/null && import -window root "$WORK/$1" 2>/dev/null; }

if ! find_window '^Solar System$' 30000; then
  failed=1
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "the X server on $DISPLAY is gone; its output:" >&2; cat "$WORK/xvfb.log" >&2
  fi
  echo "the viewer opened no window; its output:" >&2; cat "$WORK/viewer.log" >&2; exit 1
fi
if find_window '^Error$' 1500; then
  failed=1; shot start-error.png; echo "the viewer showed a picture error box at start-up" >&2; exit 1
fi

# --- state the inputs imply, checked against the live process --------------
declare -A sent=()
count() { sent[$1]=$(( ${sent[$1]:-0} + ${2:-1} )); }
turns=0          # right arrows minus left arrows: heading is turns / 8 rad
rot_x=0 rot_y=0  # drag pixels down and right: degrees of viewRotX, viewRotY
lighting=1
view_mode=10
problems=()
problem() { problems+=("$1"); echo "  problem: $1"; }

# --- reading the live process -------------------------------------------------
ANGLES="mercuryOrbit venusOrbit earthOrbit moonOrbit marsOrbit jupiterOrbit saturnOrbit
        uranusOrbit neptuneOrbit plutoOrbit ballSpin bandSpin sunSpin mercurySpin venusSpin
        earthSpin marsSpin jupiterSpin saturnSpin uranusSpin neptuneSpin plutoSpin"
GDB_ARGS=(-nx -batch -iex 'set debuginfod enabled off' -ex 'thread 1' -ex 'bt')
for a in $ANGLES heading viewRotX viewRotY; do
  GDB_ARGS+=(-ex "printf \"BITS $a %08x\\n\", *(unsigned int *) &$a")
done
for v in lightingOn viewMode animating; do
  GDB_ARGS+=(-ex "printf \"INT $v %d\\n\", (int) $v")
done
steps=0
checks=0
step_list=
# Stops the viewer for a moment with gdb and checks the clock and the input
# state.  A snapshot taken while the main thread is inside animate() would
# catch the angles half advanced; such a snapshot is taken again.
checkpoint() {  # LABEL
  local out tries=0 n
  while :; do
    out=$(timeout 60 gdb -p "$viewer_pid" "${GDB_ARGS[@]}" 2>&1)
    if ! grep -q '^#[0-9].* animate ()' <<<"$out"; then break; fi
    tries=$(( tries + 1 ))
    [ "$tries" -lt 10 ] || break
    sleep 0.1
  done
  printf '%s\n' "$out" >"$WORK/gdb-$1.log"
  if ! grep -q '^BITS plutoSpin ' <<<"$out"; then
    problem "$1: gdb read nothing (see $WORK/gdb-$1.log)"; return
  fi
  local report
  report=$( { sed -n 's/^BITS \([A-Za-z]*\) \([0-9a-f]*\)$/angle \1 \2/p' <<<"$out" | grep -v -e ' heading ' -e ' viewRot'
              echo "expect heading $(sed -n 's/^BITS heading //p' <<<"$out") $turns 8"
              echo "expect viewRotX $(sed -n 's/^BITS viewRotX //p' <<<"$out") $rot_x 1"
              echo "expect viewRotY $(sed -n 's/^BITS viewRotY //p' <<<"$out") $rot_y 1"
            } | "$WORK/angles")
  local rc=$?
  n=$(sed -n 's/^steps //p' <<<"$report")
  if [ "$rc" != 0 ]; then
    while read -r line; do problem "$1: $line"; done < <(grep -v '^steps ' <<<"$report")
  fi
  local got
  got=$(sed -n 's/^INT lightingOn //p' <<<"$out"); [ "$got" = "$lighting" ] || problem "$1: lightingOn is $got, the \"l\" presses give $lighting"
  got=$(sed -n 's/^INT viewMode //p' <<<"$out"); [ "$got" = "$view_mode" ] || problem "$1: viewMode is $got, the menu choices give $view_mode"
  got=$(sed -n 's/^INT animating //p' <<<"$out"); [ "$got" = 1 ] || problem "$1: animating is $got, expected 1"
  if [ -n "$n" ]; then
    [ "$n" -ge "$steps" ] || problem "$1: $n steps, fewer than the $steps of the check before"
    steps=$n
    step_list+="${step_list:+ }$1=$n"
  fi
  checks=$(( checks + 1 ))
}

# --- inputs -------------------------------------------------------------------
# One xdotool action per call: chained after a mouse move, xdotool would send
# the next key or button to the window under the pointer as a synthetic event.
# Keys go to the window under the pointer (there is no window manager), so
# the pointer is put over the viewer first.
X_MAX=899 Y_MAX=799
pointer_in_window() { rnd_between 20 880; local x=$R; rnd_between 20 780; xdotool mousemove "$x" "$R"; }

send_arrows() {
  local keys=() k i n
  rnd_between 1 5; n=$R
  for (( i = 0; i < n; i++ )); do
    rnd 4
    case $R in
      0) k=Up;;
      1) k=Down;;
      2) k=Left; turns=$(( turns - 1 ));;
      3) k=Right; turns=$(( turns + 1 ));;
    esac
    keys+=("$k"); count "key $k"
  done
  pointer_in_window
  xdotool key --delay 30 "${keys[@]}"
}

send_drag() {
  local x y nx ny i moves
  rnd_between 100 800; x=$R; rnd_between 100 700; y=$R
  xdotool mousemove "$x" "$y"
  xdotool mousedown 1
  rnd_between 2 6; moves=$R
  local sx=$x sy=$y
  for (( i = 0; i < moves; i++ )); do
    rnd_between -40 40; nx=$(( x + R )); rnd_between -40 40; ny=$(( y + R ))
    (( nx < 0 )) && nx=0; (( nx > X_MAX )) && nx=$X_MAX
    (( ny < 0 )) && ny=0; (( ny > Y_MAX )) && ny=$Y_MAX
    sleep 0.03
    xdotool mousemove "$nx" "$ny"
    x=$nx y=$ny
  done
  sleep 0.03
  xdotool mouseup 1
  rot_y=$(( rot_y + x - sx )); rot_x=$(( rot_x + y - sy ))
  count "left drag"; count "drag moves" "$moves"
}

# Space pauses, a short wait (sometimes with a left click, which must not
# restart a space-bar pause), space resumes.
send_space_pause() {
  pointer_in_window
  xdotool key space; count "key space"
  rnd_between 200 1500; sleep_ms "$R"
  rnd 2
  if [ "$R" = 0 ]; then xdotool click 1; count "left click while paused"; fi
  pointer_in_window
  xdotool key space; count "key space"
}

send_lighting() {
  pointer_in_window
  xdotool key l; count "key l"
  lighting=$(( 1 - lighting ))
}

CAPTIONS=(태양 수성 금성 지구 화성 목성 토성 천왕성 해왕성 명왕성)
LABELS=(Sun Mecury Venus Earth Mars Jupiter Saturn Uranus Neptune Pluto Kosmara)
boxes_shot=0
# Sets X, Y, WIDTH and HEIGHT (declared local by the caller) to the
# window's place and size; fails when the window is gone.
geometry() {  # WIN
  local shell
  shell=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) || return 1
  eval "$shell"
  [ -n "${X:-}" ] && [ -n "${HEIGHT:-}" ]
}
# Opens the menu with the right button and lets go over the given row.
choose_from_menu() {  # ROW (0 Sun .. 10 Kosmara)
  local x y
  rnd_between 20 780; x=$R; rnd_between 20 480; y=$R
  xdotool mousemove "$x" "$y"
  xdotool mousedown 3
  if ! find_window '^freeglut menu$' 5000; then
    xdotool mouseup 3
    problem "the menu did not open"; return 1
  fi
  local menu=$WIN X Y WIDTH HEIGHT SCREEN WINDOW
  if ! geometry "$menu"; then
    xdotool mouseup 3
    problem "the menu vanished before a row was chosen"; return 1
  fi
  local row_h=$(( HEIGHT / 11 ))
  xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + row_h * $1 + row_h / 2 ))
  sleep 0.2   # let the menu see the pointer over the row before the release
  xdotool mouseup 3
  count "menu ${LABELS[$1]}"
  if [ "$1" = 10 ]; then view_mode=10; else view_mode=$1; fi
  window_gone "$menu" '^freeglut menu$' 3000 || problem "the menu stayed open after choosing ${LABELS[$1]}"
}

send_menu_body() {  # [ROW] (a random body when not given)
  local row caption box
  if [ $# -gt 0 ]; then row=$1; else rnd 10; row=$R; fi
  choose_from_menu "$row" || return
  caption=${CAPTIONS[$row]}
  if ! find_window "^$caption\$" 10000; then
    shot "no-box-$caption.png"
    problem "choosing ${LABELS[$row]} showed no box \"$caption\""; return
  fi
  box=$WIN
  if [ "$boxes_shot" = 0 ]; then shot box.png; boxes_shot=1; fi
  rnd_between 100 800; sleep_ms "$R"
  rnd 2
  if [ "$R" = 0 ]; then
    xdotool key Return; count "box closed with Return"
  else
    local X Y WIDTH HEIGHT SCREEN WINDOW
    geometry "$box" || { problem "the box \"$caption\" vanished before it was closed"; return; }
    # The OK button sits in the box's bottom-right corner.
    xdotool mousemove $(( X + WIDTH - 50 )) $(( Y + HEIGHT - 25 ))
    xdotool click 1; count "box closed with OK"
  fi
  if ! window_gone "$box" "^$caption\$" 5000; then
    problem "the box \"$caption\" did not close"
    xdotool key Return
    window_gone "$box" "^$caption\$" 5000 || { problem "the box \"$caption\" stays open"; return; }
  fi
}

send_kosmara() { choose_from_menu 10; }

# Every kind of input once, and every body's box: what the viewer and its
# libraries set up on first use (glyphs, widget styles, drawing paths) is
# then in place before memory is measured.
prime() {
  local row
  for row in 0 1 2 3 4 5 6 7 8 9; do send_menu_body "$row"; sleep 0.1; done
  send_kosmara; send_lighting; send_lighting; send_drag; send_space_pause; send_arrows
}

# --- the run ------------------------------------------------------------------
TOTAL_MS=$(( MINUTES * 60000 ))
WARMUP_MS=60000
(( WARMUP_MS > TOTAL_MS / 2 )) && WARMUP_MS=$(( TOTAL_MS / 2 ))
rss_log=$WORK/rss.log
: >"$rss_log"
# A leak raises every later sample; the allocator's and the libraries' own
# churn (a box's widgets and glyphs, a frame's buffers) comes and goes.  So
# the growth checked is that of the end level, the lowest of the last three
# samples (30 s), over the sample at the end of the warm-up; the largest
# single sample is reported beside it.
rss_first= rss_final= rss_max_growth=0 rss_samples=0 rss_last3=()
sample_rss() {  # ELAPSED_MS
  local kb
  kb=$(awk '/^VmRSS:/ {print $2}' "/proc/$viewer_pid/status" 2>/dev/null)
  [ -n "$kb" ] || return
  echo "$(( $1 / 1000 )) $kb" >>"$rss_log"
  rss_samples=$(( rss_samples + 1 ))
  rss_final=$kb
  if [ -z "$rss_first" ]; then
    (( $1 >= WARMUP_MS )) && rss_first=$kb && rss_last3=("$kb")
  else
    (( kb - rss_first > rss_max_growth )) && rss_max_growth=$(( kb - rss_first ))
    rss_last3=("${rss_last3[@]: -2}" "$kb")
  fi
}

echo "soak: viewer $VIEWER on $DISPLAY, $MINUTES min, seed $SEED, work folder $WORK"
xdotool mousemove 450 400
xdotool click 1; count "left click (start)"
now_ms; clock_start=$NOW
prime
now_ms; start=$NOW
echo "  tour of every input and body: $(( (start - clock_start) / 1000 )) s"
next_rss=0 next_check=$CHECK_EVERY_MS next_minute=60000
actions=0
while :; do
  now_ms; elapsed=$(( NOW - start ))
  if ! viewer_alive; then
    wait "$viewer_pid"; viewer_status=$?
    problem "the viewer ended by itself after $(( elapsed / 1000 )) s with status $viewer_status"
    break
  fi
  (( elapsed >= TOTAL_MS )) && break
  if (( elapsed >= next_rss )); then sample_rss "$elapsed"; next_rss=$(( next_rss + RSS_EVERY_MS )); fi
  if (( elapsed >= next_check && TOTAL_MS - elapsed > 5000 )); then
    checkpoint "t$(( elapsed / 1000 ))s"; next_check=$(( next_check + CHECK_EVERY_MS ))
  fi
  if (( elapsed >= next_minute )); then
    shot "minute-$(( next_minute / 60000 )).png"
    echo "  $(( next_minute / 60000 )) min: $actions actions, RSS ${rss_final:-?} kB, steps $steps"
    next_minute=$(( next_minute + 60000 ))
  fi

  rnd 100
  if   (( R < 40 )); then send_arrows
  elif (( R < 58 )); then send_drag
  elif (( R < 66 )); then send_space_pause
  elif (( R < 76 )); then send_lighting
  elif (( R < 90 )); then send_menu_body
  elif (( R < 95 )); then send_kosmara
  else rnd_between 1000 3000; sleep_ms "$R"; count "idle wait"
  fi
  actions=$(( actions + 1 ))
  rnd_between 50 300; sleep_ms "$R"
done

# --- the end ------------------------------------------------------------------
now_ms; elapsed=$(( NOW - start ))
alive_at_end=no
if viewer_alive; then
  alive_at_end=yes
  sample_rss "$elapsed"
  shot final.png
  checkpoint end
  xdotool mousemove 450 100
  xdotool key Escape; count "key Escape (end)"
  for _ in $(seq 100); do viewer_alive || break; sleep 0.1; done
  if viewer_alive; then
    problem "the viewer did not end on Esc"
  else
    wait "$viewer_pid"; viewer_status=$?
    [ "$viewer_status" = 255 ] || problem "the viewer ended on Esc with status $viewer_status, not 255"
  fi
fi

rss_end_level=
if [ -z "$rss_first" ]; then
  problem "no memory sample after the warm-up"
else
  rss_end_level=$(printf '%s\n' "${rss_last3[@]}" | sort -n | head -n 1)
  rss_growth=$(( rss_end_level - rss_first ))
  (( rss_growth > RSS_LIMIT_KB )) &&
    problem "resident memory grew by $rss_growth kB after the warm-up (limit $RSS_LIMIT_KB kB)"
fi

# --- report -------------------------------------------------------------------
echo
echo "Solar System soak report"
printf '  %-34s %s\n' "run" "$(( elapsed / 1000 )) s of random input after the tour, seed $SEED, display $DISPLAY"
printf '  %-34s %s\n' "actions" "$actions"
while IFS= read -r kind; do
  printf '  %-34s %s\n' "  $kind" "${sent[$kind]}"
done < <(printf '%s\n' "${!sent[@]}" | sort)
printf '  %-34s %s\n' "viewer alive at the end" "$alive_at_end"
printf '  %-34s %s\n' "exit status on Esc" "${viewer_status:-none}"
printf '  %-34s %s\n' "animation steps (clock)" "$steps"
now_ms
printf '  %-34s %s\n' "steps per second (tour included)" "$(( steps * 1000 / (NOW - clock_start) ))"
printf '  %-34s %s\n' "gdb checks" "$checks (steps at each: $step_list)"
printf '  %-34s %s\n' "RSS after the tour + $(( WARMUP_MS / 1000 )) s" "${rss_first:-?} kB"
printf '  %-34s %s\n' "RSS at the end" "${rss_final:-?} kB"
printf '  %-34s %s\n' "RSS end level (lowest of last 30 s)" "${rss_end_level:-?} kB"
printf '  %-34s %s\n' "growth of the end level" "${rss_growth:-?} kB (limit $RSS_LIMIT_KB kB)"
printf '  %-34s %s\n' "max growth, any sample" "$rss_max_growth kB ($rss_samples samples, every $(( RSS_EVERY_MS / 1000 )) s)"
if [ ${#problems[@]} -eq 0 ]; then
  echo "  result: PASS"
  exit 0
fi
failed=1
echo "  result: FAIL"
for p in "${problems[@]}"; do echo "    - $p"; done
exit 1
