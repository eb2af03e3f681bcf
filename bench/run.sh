#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Benchmarks the unattended run against rsync and cp on the same generated
# trees, in one run, the commands taking turns:
#   S1 initial copy of 'small'        S4 no-op over 'many', also against floor
#   S2 no-op over 'small'             S5 initial copy of 'big'
#   S3 'small' after 1% new stamps    S6 listing of 'small', rows to a file
# then system calls per examined file (strace -c -f) and peak memory
# (/usr/bin/time -v). Prints median wall times of warm-cache runs (a first
# round of each scenario warms the cache and is not counted) and the ratios
# program/peer.
#
# The share scenarios copy onto a simulated network share (bench/slowfs.c
# mounted over a folder of $BENCH, each request delayed by SHARE_DELAY_US,
# default 1000), also against trasvex-j1:
#   R1 initial copy of 'share'        R3 listing of 'share' against an
#   R2 no-op over 'share'                up-to-date copy
#   R4 initial copy of 'flat' (1,000 small files in one folder)
#   R5 initial copy of 'large' (4 files of 32 MiB in one folder)
#   R6 initial copy of 'deep' (six levels, 3 folders a level, 4 files each)
#   R7 initial copy of 'share' with each request delayed SLOW_DELAY_US
#      (default 10000), a slow link
# R6 and R7 time one round (after the warming one): their peers take
# minutes. R8 sends 'half' (500 files) to 8 destinations, each on its own
# share (its own slowfs server, SHARE_DELAY_US), and times a copy by one run
# of an 8-line list against one line alone and against 8 one-line runs
# started side by side, and the no-op re-run of the 8 lines against that of
# one line; each copy is checked against the source (contents, names and
# file stamps). T1 copies 'ten' (10 files) into a local folder, against
# trasvex-j1: what the workers cost a small job.
#
# The program runs with its own number of workers (TRASVEX_JOBS unset);
# trasvex-j1 is the program with TRASVEX_JOBS=1, one worker.
# folder-floor (bench/folder-floor.cpp) is the floor of a safe copy into one
# folder: 16 threads that only create a temporary file, write it, stamp it,
# close it and rename it to its target. floor
# (bench/floor.cpp) is the single-threaded floor of a no-op: one thread reads
# each source folder, stats each entry and each file's counterpart in the
# destination, and copies nothing. copy-floor (bench/copy-floor.cpp) is the
# single-threaded floor of a copy whose data is on the disk when it ends: it
# copies what is missing or differs straight into the targets, then makes one
# syncfs. Targets beside the peers': S4 at most 0.9 of floor's time; S1, S3,
# S5 and R1 at most 1.1 of copy-floor's; R1 and R2 at most 0.2 of rsync's and
# of cp's; R3 at most 0.2 of trasvex-j1's; R8's 8 lines at most 1.5 times one
# line's copy and 1.2 times the side-by-side runs', their no-op at most 2
# times one line's.
#
#   bench/run.sh [runs]          (default 5 timed runs; 'big' takes 3, R1-R3 at most 3)
#   ONLY="S3 S4" bench/run.sh    (times only those scenarios; system calls and
#                                 memory are counted when some S scenario runs)
#
# Work goes to $BENCH (default build-scale/bench). Old destinations are
# moved aside and deleted at the end: ext4 does not reuse an inode freed in
# the last minutes quickly, so deleting them between runs would time the
# file system instead of the programs.
source "$(dirname "$0")/../scripts/common.sh"

RUNS="${1:-5}"
BIG_RUNS=3
SHARE_RUNS=$((RUNS < 3 ? RUNS : 3))
SHARE_DELAY_US="${SHARE_DELAY_US:-1000}"
SLOW_DELAY_US="${SLOW_DELAY_US:-10000}"
SMALL_JOB_RUNS=30
BUILD="${BUILD_SCALE:-$ROOT/build-scale}"
BENCH="${BENCH:-$BUILD/bench}"
TREES="$BENCH/trees"
WORK="$BENCH/work"
OLD="$BENCH/old"
SHARE="$BENCH/share"
SHARE_BACKING="$BENCH/share-backing"
FAN_SHARES=8
FAN="$BENCH/fan"
FAN_BACKING="$BENCH/fan-backing"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM TRASVEX_JOBS

ensure_packages "${BASE_PACKAGES[@]}" rsync strace time libfuse3-dev fuse3 pkg-config
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DTRASVEX_WITH_WINDOW=OFF \
  -DTRASVEX_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target trasvex >"$BUILD/build.log" 2>&1 ||
  { cat "$BUILD/build.log"; exit 1; }
PROGRAM="$BUILD/trasvex/trasvex"
g++ -O2 -std=c++20 -o "$BUILD/make-tree" "$ROOT/bench/make-tree.cpp"
g++ -O2 -std=c++20 -o "$BUILD/floor" "$ROOT/bench/floor.cpp"
g++ -O2 -std=c++20 -o "$BUILD/copy-floor" "$ROOT/bench/copy-floor.cpp"
g++ -O2 -std=c++20 -pthread -o "$BUILD/folder-floor" "$ROOT/bench/folder-floor.cpp"
# shellcheck disable=SC2046
gcc -O2 -o "$BUILD/slowfs" "$ROOT/bench/slowfs.c" $(pkg-config --cflags --libs fuse3)

unmount() { fusermount3 -u "$1" 2>/dev/null || fusermount3 -uz "$1" 2>/dev/null || true; }
unmount_share() { unmount "$SHARE"; }
# R8's shares, share0 to share7 in $FAN.
unmount_fan() {
  local k
  for ((k = 0; k < FAN_SHARES; ++k)); do unmount "$FAN/share$k"; done
}
unmount_share
unmount_fan
rm -rf "$WORK" "$OLD" "$SHARE_BACKING" "$FAN_BACKING" "$FAN"
mkdir -p "$TREES" "$WORK" "$OLD"
trap 'unmount_share; unmount_fan; rm -rf "$WORK" "$OLD" "$SHARE_BACKING" "$SHARE" "$FAN_BACKING" "$FAN"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The trees are kept between runs of this script; they never change.
make_tree() {
  local kind="$1"
  if [[ ! -e "$TREES/$kind.done" ]]; then
    echo "generating tree '$kind'..."
    rm -rf "${TREES:?}/$kind"
    "$BUILD/make-tree" "$kind" "$TREES/$kind"
    touch "$TREES/$kind.done"
  fi
}

# --- the commands -------------------------------------------------------

# One command of a scenario: TOOL MODE SRC DST, MODE copy, update, list (to
# a missing destination) or check (a listing against an up-to-date one),
# set as the array COMMAND. The tool trasvex-j1 is the program with
# TRASVEX_JOBS=1; floor runs the same walk whatever the mode.
# The program's parameter list is written beforehand, outside the timing.
prepare() {
  local tool="$1" src="$3" dst="$4"
  [[ "$tool" == trasvex* ]] && printf '%s = %s\r\n' "$dst" "$src" >"$WORK/lista.rtf"
  sync
}
command_of() {
  local tool="$1" mode="$2" src="$3" dst="$4"
  case "$tool/$mode" in
    trasvex-j1/*)
      command_of trasvex "$mode" "$src" "$dst"
      COMMAND=(env TRASVEX_JOBS=1 "${COMMAND[@]}")
      ;;
    trasvex/list | trasvex/check) COMMAND=("$PROGRAM" "$WORK/lista.rtf" AUTO LIST) ;;
    trasvex/*) COMMAND=("$PROGRAM" "$WORK/lista.rtf" AUTO) ;;
    rsync/list) COMMAND=(rsync -rtn --out-format=%n "$src/" "$dst/") ;;
    rsync/*) COMMAND=(rsync -rt "$src/" "$dst/") ;;
    cp/copy) COMMAND=(cp -r "--preserve=timestamps,mode" "$src" "$dst") ;;
    cp/update) COMMAND=(cp -ru "--preserve=timestamps,mode" "$src/." "$dst/") ;;
    floor/*) COMMAND=("$BUILD/floor" "$src" "$dst") ;;
    copy-floor/*) COMMAND=("$BUILD/copy-floor" "$src" "$dst") ;;
    folder-floor/*) COMMAND=("$BUILD/folder-floor" "$src" "$dst") ;;
  esac
}
# Runs one command and prints its wall time in microseconds.
timed() {
  command_of "$@"
  timed_command
}
# Runs the array COMMAND and prints its wall time in microseconds.
timed_command() {
  local start end
  start="${EPOCHREALTIME/./}"
  "${COMMAND[@]}" >"$WORK/rows.txt" 2>"$WORK/errors.txt" || {
    echo "FAILED: ${COMMAND[*]}" >&2
    cat "$WORK/errors.txt" >&2
    exit 1
  }
  end="${EPOCHREALTIME/./}"
  echo $((end - start))
}
median() {
  printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'
}

# --- the scenarios ------------------------------------------------------

declare -A MEDIAN
fresh=0
# Destinations go to DESTINATIONS and are retired to RETIRED, both on the
# share for the share scenarios.
DESTINATIONS="$WORK"
RETIRED="$OLD"
# Sets DST to a destination path never used before.
new_destination() { DST="$DESTINATIONS/dst$((++fresh))"; }
retire() { mv "$1" "$RETIRED/$(basename "$1")"; }
# The path behind a path on the share, reached without the delay.
backing_of() { echo "${1/#"$SHARE"/"$SHARE_BACKING"}"; }
wanted() { [[ -z "${ONLY:-}" || " $ONLY " == *" $1 "* ]]; }
keeps_destination() { [[ "$1" == update || "$1" == check ]]; }

# SCENARIO TREE MODE ROUNDS TOOLS...: copy and list get a missing destination
# each run; update and check runs reuse each tool's destination (brought up
# to date before the first round), and a hook may change the source between
# rounds.
scenario() {
  local name="$1" tree="$2" mode="$3" rounds="$4"
  shift 4
  wanted "$name" || return 0
  local -A times dst
  local tool round
  if keeps_destination "$mode"; then
    for tool in "$@"; do
      new_destination
      dst[$tool]="$DST"
      cp -r --preserve=timestamps,mode "$TREES/$tree" "$(backing_of "${dst[$tool]}")"
    done
  fi
  for ((round = 0; round <= rounds; ++round)); do
    [[ "$(type -t "before_round_$name")" == function ]] && "before_round_$name" "$round"
    for tool in "$@"; do
      if ! keeps_destination "$mode"; then
        new_destination
        dst[$tool]="$DST"
      fi
      prepare "$tool" "$mode" "$TREES/$tree" "${dst[$tool]}"
      local took
      took="$(timed "$tool" "$mode" "$TREES/$tree" "${dst[$tool]}")"
      ((round > 0)) && times[$tool]+=" $took"
      if ! keeps_destination "$mode" && [[ -e "${dst[$tool]}" ]]; then retire "${dst[$tool]}"; fi
    done
  done
  for tool in "$@"; do
    # shellcheck disable=SC2086
    MEDIAN[$name/$tool]="$(median ${times[$tool]})"
    if keeps_destination "$mode"; then retire "${dst[$tool]}"; fi
  done
  echo "  $name done"
}

# S3: before each round, 1% of the files of 'small' get a new, later stamp.
before_round_S3() {
  xargs -d '\n' -a "$WORK/changed" touch -m -d "@$((1700000000 + 10 * $1))"
}

# DELAY BACKING MOUNTPOINT: serves BACKING at MOUNTPOINT with each request
# delayed DELAY microseconds; BACKING gets a folder 'old' for retired copies.
mount_slowfs() {
  mkdir -p "$3" "$2/old"
  "$BUILD/slowfs" -o delay_us="$1" "$2" "$3"
}
# Mounts the simulated share with each request delayed DELAY microseconds.
mount_share() {
  mount_slowfs "$1" "$SHARE_BACKING" "$SHARE"
  DESTINATIONS="$SHARE"
  RETIRED="$SHARE/old"
}
# R1-R7 run on the simulated share, mounted for them only.
share_scenarios() {
  mount_share "$SHARE_DELAY_US"
  scenario R1 share copy "$SHARE_RUNS" trasvex trasvex-j1 rsync cp copy-floor
  scenario R2 share update "$SHARE_RUNS" trasvex trasvex-j1 rsync cp
  scenario R3 share check "$SHARE_RUNS" trasvex trasvex-j1
  scenario R4 flat copy "$SHARE_RUNS" trasvex trasvex-j1 rsync cp folder-floor
  scenario R5 large copy "$SHARE_RUNS" trasvex trasvex-j1 rsync cp
  scenario R6 deep copy 1 trasvex trasvex-j1 rsync cp
  unmount_share
  if wanted R7; then
    mount_share "$SLOW_DELAY_US"
    scenario R7 share copy 1 trasvex trasvex-j1 rsync cp
    unmount_share
  fi
  DESTINATIONS="$WORK"
  RETIRED="$OLD"
}

# --- R8: one source to 8 shares -----------------------------------------

# Each share K of $FAN gets the destination t, the target of the line of
# $WORK/fanK.rtf; $WORK/fan.rtf holds all 8 lines.
fan_lists() {
  local k
  : >"$WORK/fan.rtf"
  for ((k = 0; k < FAN_SHARES; ++k)); do
    printf '%s = %s\r\n' "$FAN/share$k/t" "$TREES/half" >"$WORK/fan$k.rtf"
    cat "$WORK/fan$k.rtf" >>"$WORK/fan.rtf"
  done
}
# Runs the program on the list LIST and prints its wall time in microseconds.
timed_list() {
  COMMAND=("$PROGRAM" "$1" AUTO)
  sync
  timed_command
}
# Runs the 8 one-line lists at once and prints the wall time until the last
# one ends, in microseconds.
side_by_side() {
  local start end k pids=()
  sync
  start="${EPOCHREALTIME/./}"
  for ((k = 0; k < FAN_SHARES; ++k)); do
    "$PROGRAM" "$WORK/fan$k.rtf" AUTO >"$WORK/rows$k.txt" 2>"$WORK/errors$k.txt" &
    pids+=("$!")
  done
  for k in "${!pids[@]}"; do
    wait "${pids[$k]}" || {
      echo "FAILED: $PROGRAM $WORK/fan$k.rtf AUTO" >&2
      cat "$WORK/errors$k.txt" >&2
      exit 1
    }
  done
  end="${EPOCHREALTIME/./}"
  echo $((end - start))
}
# The files under a folder with their stamps, one a line, in order.
stamps() { (cd "$1" && find . -type f -printf '%p %T@\n' | sort); }
# Fails the script unless share K's destination, read behind the share,
# matches 'half' in names, contents and file stamps.
check_copy() {
  local copy="$FAN_BACKING/share$1/t"
  if ! diff -r "$TREES/half" "$copy" >/dev/null ||
    ! diff <(stamps "$TREES/half") <(stamps "$copy") >/dev/null; then
    echo "FAILED: $copy is not an exact copy of $TREES/half" >&2
    exit 1
  fi
}
# Checks and retires the destinations of the shares FIRST to LAST.
check_and_retire() {
  local k
  for ((k = $1; k <= $2; ++k)); do
    check_copy "$k"
    mv "$FAN/share$k/t" "$FAN/share$k/old/t$((++fresh))"
  done
}
# ROUND KEY FUNCTION [ARGS...]: runs FUNCTION, which prints a wall time, and
# adds the time to FAN_TIMES[KEY] unless ROUND is the warming one.
fan_time() {
  local took
  took="$("${@:3}")"
  ((${1} == 0)) || FAN_TIMES[$2]+=" $took"
}
declare -A FAN_TIMES
# Each round: the 8-line list and its no-op, one line and its no-op, then
# the 8 one-line runs side by side; every destination is missing before its
# copy. Before a no-op, the names and attributes the kernel keeps from the
# copy (for a second) lapse, as they have before a no-op of a copy made
# earlier.
fan_scenario() {
  local k round key
  for ((k = 0; k < FAN_SHARES; ++k)); do
    mount_slowfs "$SHARE_DELAY_US" "$FAN_BACKING/share$k" "$FAN/share$k"
  done
  fan_lists
  for ((round = 0; round <= SHARE_RUNS; ++round)); do
    fan_time "$round" all timed_list "$WORK/fan.rtf"
    sleep 1.2
    fan_time "$round" all-noop timed_list "$WORK/fan.rtf"
    check_and_retire 0 $((FAN_SHARES - 1))
    fan_time "$round" one timed_list "$WORK/fan0.rtf"
    sleep 1.2
    fan_time "$round" one-noop timed_list "$WORK/fan0.rtf"
    check_and_retire 0 0
    fan_time "$round" side side_by_side
    check_and_retire 0 $((FAN_SHARES - 1))
  done
  for key in all all-noop one one-noop side; do
    # shellcheck disable=SC2086
    MEDIAN[R8/$key]="$(median ${FAN_TIMES[$key]})"
  done
  unmount_fan
  echo "  R8 done; each round's seconds:"
  for key in all side one all-noop one-noop; do echo "    $key:${FAN_TIMES[$key]}"; done
}

any_wanted() {
  local name
  for name in "$@"; do wanted "$name" && return 0; done
  return 1
}
LOCAL=0
any_wanted S1 S2 S3 S4 S5 S6 && LOCAL=1
SHARED=0
any_wanted R1 R2 R3 R4 R5 R6 R7 && SHARED=1

BIG=0
if ((LOCAL)); then
  make_tree small
  make_tree many
  free_kib="$(df -Pk "$BENCH" | awk 'NR==2 {print $4}')"
  if ((free_kib < (4 + 3 * (BIG_RUNS + 1)) * 1024 * 1024)); then
    echo "'big' left out: it needs $((4 + 3 * (BIG_RUNS + 1))) GiB free in $BENCH"
  else
    BIG=1
    make_tree big
  fi
fi
if ((SHARED)); then
  for tree in share flat large deep; do make_tree "$tree"; done
fi
wanted T1 && make_tree ten
wanted R8 && make_tree half

echo "timing ($RUNS runs each, $SHARE_RUNS on the share, commands taking turns)..."
((SHARED)) && share_scenarios
wanted R8 && fan_scenario
scenario S1 small copy "$RUNS" trasvex rsync cp copy-floor
scenario S2 small update "$RUNS" trasvex rsync cp
scenario S6 small list "$RUNS" trasvex rsync
scenario S4 many update "$RUNS" trasvex rsync cp floor
# S3 changes the stamps of 'small' (the next run of this script generates
# the tree again). It comes before the gigabytes of S5 and of the counting
# below, whose writes slow down replacing files for a while afterwards.
if wanted S3; then
  find "$TREES/small" -type f | sort | awk 'NR % 100 == 0' >"$WORK/changed"
  rm -f "$TREES/small.done"
  scenario S3 small update "$RUNS" trasvex rsync cp copy-floor
fi
((BIG)) && scenario S5 big copy "$BIG_RUNS" trasvex rsync cp copy-floor
scenario T1 ten copy "$SMALL_JOB_RUNS" trasvex trasvex-j1
# --- system calls and memory --------------------------------------------

# Total system calls of one command under strace -c -f.
syscalls() {
  prepare "$@"
  command_of "$@"
  strace -f -c -o "$WORK/strace.txt" "${COMMAND[@]}" >/dev/null 2>&1
  awk '$NF == "total" {print $4}' "$WORK/strace.txt"
}
# Peak resident set size of one command, in KiB.
peak_rss() {
  prepare "$@"
  command_of "$@"
  /usr/bin/time -v -o "$WORK/time.txt" "${COMMAND[@]}" >"$WORK/rows.txt" 2>/dev/null
  awk -F': ' '/Maximum resident/ {print $2}' "$WORK/time.txt"
}
per_file() { awk -v calls="$1" -v files="$2" 'BEGIN {printf "%.2f", calls / files}'; }

if ((LOCAL)); then
  echo "counting system calls and memory..."
  declare -A CALLS RSS
  for tool in trasvex rsync cp; do
    new_destination
    CALLS[copy/$tool]="$(syscalls "$tool" copy "$TREES/small" "$DST")"
    CALLS[noop/$tool]="$(syscalls "$tool" update "$TREES/small" "$DST")"
    retire "$DST"
  done
  for tree in small many; do
    for mode in copy list; do
      new_destination
      RSS[$tree/$mode]="$(peak_rss trasvex "$mode" "$TREES/$tree" "$DST")"
      retire "$DST"
    done
  done
  if ((BIG)); then
    new_destination
    prepare trasvex copy "$TREES/big" "$DST"
    strace -f -c -o "$WORK/strace.txt" -e trace=read,write,copy_file_range \
      "$PROGRAM" "$WORK/lista.rtf" AUTO 2>/dev/null
    BIG_CALLS="$(awk '$NF ~ /^(read|write|copy_file_range)$/ {printf "%s %s  ", $NF, $4}' \
      "$WORK/strace.txt")"
    retire "$DST"
  fi
fi

# --- the table ----------------------------------------------------------

seconds() { [[ -n "$1" ]] && awk -v us="$1" 'BEGIN {printf "%.3f", us / 1e6}' || echo "-"; }
ratio() { [[ -n "${2:-}" ]] && awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}' || echo "-"; }
verdict() { awk -v r="$1" -v limit="$2" 'BEGIN {print (r <= limit ? "met" : "MISSED")}'; }
# LABEL RATIO LIMIT: "  LABEL <= LIMIT met" (or MISSED), nothing when LIMIT is -.
target() {
  [[ "$3" == - ]] && return
  local judged="(not run)"
  [[ "$2" == - ]] || judged="$(verdict "$2" "$3")"
  printf '  %s <= %s %s' "$1" "$3" "$judged"
}
# LABEL TIME OTHER_TIME LIMIT: a ratio of R8 and its target.
fan_ratio() {
  local judged
  judged="$(ratio "$2" "$3")"
  printf '     %-32s %6s%s\n' "$1" "$judged" "$(target "" "$judged" "$4")"
}

echo
line() { printf '%-4s %10s %10s %10s %8s %7s %10s %8s%s\n' "$@"; }
line "" "trasvex s" "rsync s" "cp s" "/rsync" "/cp" "other s" "/other" "  target"
# NAME RSYNC_LIMIT CP_LIMIT [OTHER OTHER_LIMIT]: the program's median time
# against those of rsync, cp and the tool OTHER, with the targets of the
# ratios (- for none).
row() {
  local name="$1" rsync_limit="$2" cp_limit="$3" other="${4:-}" other_limit="${5:--}"
  local t="${MEDIAN[$name/trasvex]:-}" r="${MEDIAN[$name/rsync]:-}" c="${MEDIAN[$name/cp]:-}"
  local o="${MEDIAN[$name/$other]:-}"
  [[ -z "$t" ]] && { printf '%-4s (not run)\n' "$name"; return; }
  local to_rsync to_cp to_other
  to_rsync="$(ratio "$t" "$r")"
  to_cp="$(ratio "$t" "$c")"
  to_other="$(ratio "$t" "$o")"
  line "$name" "$(seconds "$t")" "$(seconds "$r")" "$(seconds "$c")" "$to_rsync" \
    "$to_cp" "$(seconds "$o")" "$to_other" "$(target /rsync "$to_rsync" "$rsync_limit")$(
      target /cp "$to_cp" "$cp_limit")$(target "/$other" "$to_other" "$other_limit")"
}
if ((LOCAL)); then
  row S1 0.75 1.25
  row S2 0.6 0.99
  row S3 0.75 -
  row S4 0.6 0.99 floor 0.9
  row S5 - 1.15
  row S6 1.3 -
  for name in S1 S3 S5; do row "$name" - - copy-floor 1.1; done
  echo "S4: other is floor, one thread's walk of the no-op; S1, S3 and S5 in their"
  echo "  second rows copy-floor, one thread's copy that forces its data to the disk at its end"
fi
if ((SHARED)); then
  row R1 0.2 0.2 trasvex-j1 -
  row R1 - - copy-floor 1.1
  row R2 0.2 0.2 trasvex-j1 -
  row R3 - - trasvex-j1 0.2
  row R4 - 0.15 trasvex-j1 0.15
  row R4 - - folder-floor -
  row R5 - 0.5 trasvex-j1 -
  row R6 - 0.1 trasvex-j1 -
  row R7 - 0.1 trasvex-j1 -
  echo "R1-R6: each request to the share delayed $SHARE_DELAY_US us, R7 $SLOW_DELAY_US us;"
  echo "  other is trasvex-j1, the program with TRASVEX_JOBS=1; in R4's second row"
  echo "  folder-floor, 16 threads that only create, write, stamp, close and rename"
fi
if wanted R8; then
  printf 'R8   copy: %s lines %s s, 1 line %s s, %s one-line runs side by side %s s\n' \
    "$FAN_SHARES" "$(seconds "${MEDIAN[R8/all]}")" "$(seconds "${MEDIAN[R8/one]}")" \
    "$FAN_SHARES" "$(seconds "${MEDIAN[R8/side]}")"
  printf '     no-op: %s lines %s s, 1 line %s s\n' "$FAN_SHARES" \
    "$(seconds "${MEDIAN[R8/all-noop]}")" "$(seconds "${MEDIAN[R8/one-noop]}")"
  fan_ratio "copy, $FAN_SHARES lines/1 line" "${MEDIAN[R8/all]}" "${MEDIAN[R8/one]}" 1.5
  fan_ratio "copy, $FAN_SHARES lines/side by side" "${MEDIAN[R8/all]}" "${MEDIAN[R8/side]}" 1.2
  fan_ratio "no-op, $FAN_SHARES lines/1 line" "${MEDIAN[R8/all-noop]}" "${MEDIAN[R8/one-noop]}" 2
  echo "R8: 'half' (500 files) to $FAN_SHARES shares, each its own server, each request"
  echo "  delayed $SHARE_DELAY_US us"
fi
if wanted T1; then
  row T1 - - trasvex-j1 1.1
  echo "T1: 'ten' (10 files) into a local folder; other is trasvex-j1"
fi

if ((LOCAL)); then
  echo
  echo "system calls per examined file, 'small' (20,000 files):"
  for mode in copy noop; do
    limit=$([[ $mode == copy ]] && echo 10 || echo 2.3)
    t="$(per_file "${CALLS[$mode/trasvex]}" 20000)"
    printf '  %-5s trasvex %6s (target <= %s: %s)   rsync %6s   cp %6s\n' "$mode" "$t" "$limit" \
      "$(verdict "$t" "$limit")" "$(per_file "${CALLS[$mode/rsync]}" 20000)" \
      "$(per_file "${CALLS[$mode/cp]}" 20000)"
  done
  ((BIG)) && echo "  'big' copy, trasvex: $BIG_CALLS"
  echo
  echo "peak RSS of the console run (KiB; target <= 20480, flat as the tree grows):"
  for mode in copy list; do
    printf '  %-5s small %6s   many %6s  (%s)\n' "$mode" "${RSS[small/$mode]}" \
      "${RSS[many/$mode]}" "$(verdict "${RSS[many/$mode]}" 20480)"
  done
fi
echo
echo "removing old destinations..."
