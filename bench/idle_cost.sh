#!/usr/bin/env bash
# What full-screen play costs the saver's own process: the demo saver plays in "SP" mode
# on a virtual X server for a while, and the processor time the saver used in a steady
# stretch of that play (after start-up, loading and the first full picture) is printed as
# a share of one core, next to the X server's share over the same stretch.
#
#   bench/idle_cost.sh [--build DIR] [--size WxH] [--warmup SECONDS] [--seconds SECONDS] [--runs N]
#
# Defaults: build/, 1920x1080, 3 s warm-up, 20 s measured, 1 run. Needs Xvfb. The figure
# is processor time, not wall-clock time, so other load on the machine changes it little;
# the script still prints the load average so that a reader can judge.
set -euo pipefail

build=build
size=1920x1080
warmup=3
seconds=20
runs=1
while [[ $# -gt 0 ]]; do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --size) size="$2"; shift 2 ;;
    --warmup) warmup="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done

saver_program="$build/velquora-saver"
demo_writer="$build/tools/write_demo_saver"
for program in "$saver_program" "$demo_writer"; do
  [[ -x "$program" ]] || { echo "missing $program: build it first" >&2; exit 2; }
done
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 2; }

work=$(mktemp -d)
xvfb_pid=""
saver_pid=""
cleanup() {
  [[ -n "$saver_pid" ]] && kill "$saver_pid" 2>/dev/null || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$demo_writer" "$work/demo.scr" >/dev/null

# Xvfb picks a free display number and writes it to descriptor 3.
exec 3> >(cat >"$work/display")
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 50); do
  [[ -s "$work/display" ]] && break
  sleep 0.1
done
[[ -s "$work/display" ]] || { echo "Xvfb did not start" >&2; exit 1; }
display=":$(head -n1 "$work/display")"

ticks_per_second=$(getconf CLK_TCK)
# utime + stime of a process, in clock ticks (fields 14 and 15 of /proc/PID/stat; the
# name in field 2 may hold spaces, so count from the closing parenthesis).
cpu_ticks() {
  local stat
  stat=$(<"/proc/$1/stat")
  stat=${stat##*) }
  read -r -a fields <<<"$stat"
  echo $((fields[11] + fields[12]))
}
now_ns() { date +%s%N; }
percent() {  # ticks over nanoseconds, as percent of one core
  awk -v t="$1" -v hz="$ticks_per_second" -v ns="$2" 'BEGIN { printf "%.2f", 100 * (t / hz) / (ns / 1e9) }'
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for run in $(seq "$runs"); do
  mkdir -p "$work/config"
  DISPLAY="$display" XDG_CONFIG_HOME="$work/config" TMPDIR="$work" \
    "$saver_program" --report-steps --saver "$work/demo.scr" SP >/dev/null 2>"$work/saver.err" &
  saver_pid=$!
  sleep "$warmup"
  kill -0 "$saver_pid" 2>/dev/null || { echo "the saver ended early:" >&2; cat "$work/saver.err" >&2; exit 1; }
  saver_start=$(cpu_ticks "$saver_pid")
  server_start=$(cpu_ticks "$xvfb_pid")
  start=$(now_ns)
  sleep "$seconds"
  saver_end=$(cpu_ticks "$saver_pid")
  server_end=$(cpu_ticks "$xvfb_pid")
  elapsed=$(($(now_ns) - start))
  kill -TERM "$saver_pid"
  wait "$saver_pid" || true
  saver_pid=""
  steps=$(grep -o 'played [0-9]* steps' "$work/saver.err" | head -n1 || true)
  echo "run $run: saver $(percent $((saver_end - saver_start)) "$elapsed")% of one core," \
    "X server $(percent $((server_end - server_start)) "$elapsed")%," \
    "over $(awk -v ns="$elapsed" 'BEGIN { printf "%.1f", ns / 1e9 }') s${steps:+ (in all: $steps)}"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
