#!/usr/bin/env bash
# What full-screen play costs the saver's own process: the demo saver plays in "SP" mode
# on a virtual X server for a while, and the processor time the saver used in a steady
# stretch of that play (after start-up, loading and the first full picture) is printed as
# a share of one core, next to the X server's share over the same stretch.
#
#   bench/idle_cost.sh [--build DIR] [--against DIR] [--size WxH] [--warmup SECONDS]
#                      [--seconds SECONDS] [--runs N]
#
# Defaults: build/, 1920x1080, 3 s warm-up, 20 s measured, 1 run. Needs Xvfb. The figure
# is processor time, not wall-clock time; on a shared virtual machine it still moves
# with what the neighbours do, so the script prints the load average, and --against
# plays a second build (another checkout's build folder) at the same time on a second
# X server, taking turns with the servers, and prints the ratio of the two: the way to
# compare two builds on a machine whose speed changes from minute to minute.
set -euo pipefail

build=build
against=""
size=1920x1080
warmup=3
seconds=20
runs=1
while [[ $# -gt 0 ]]; do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --against) against="$2"; shift 2 ;;
    --size) size="$2"; shift 2 ;;
    --warmup) warmup="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done

demo_writer="$build/tools/write_demo_saver"
programs=("$build/velquora-saver")
[[ -n "$against" ]] && programs+=("$against/velquora-saver")
for program in "${programs[@]}" "$demo_writer"; do
  [[ -x "$program" ]] || { echo "missing $program: build it first" >&2; exit 2; }
done
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 2; }

work=$(mktemp -d)
server_pids=()
saver_pids=()
cleanup() {
  for pid in "${saver_pids[@]}" "${server_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$demo_writer" "$work/demo.scr" >/dev/null

# Starts an X server; Xvfb picks a free display number and writes it to descriptor 3.
displays=()
start_server() {
  local file="$work/display-${#displays[@]}"
  exec 3> >(cat >"$file")
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
  server_pids+=($!)
  exec 3>&-
  for _ in $(seq 50); do
    [[ -s "$file" ]] && break
    sleep 0.1
  done
  [[ -s "$file" ]] || { echo "Xvfb did not start" >&2; exit 1; }
  displays+=(":$(head -n1 "$file")")
}
for _ in "${programs[@]}"; do start_server; done

# Processor time of a process so far, in nanoseconds: the sum over its threads of the
# scheduler's exact run time (the first field of /proc/PID/task/TID/schedstat).
cpu_ns() {
  local total=0 run_ns _
  for file in /proc/"$1"/task/*/schedstat; do
    read -r run_ns _ <"$file" || continue
    total=$((total + run_ns))
  done
  echo "$total"
}
now_ns() { date +%s%N; }
percent() {  # nanoseconds of processor time over nanoseconds, as percent of one core
  awk -v t="$1" -v ns="$2" 'BEGIN { printf "%.2f", 100 * t / ns }'
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for run in $(seq "$runs"); do
  saver_pids=()
  for index in "${!programs[@]}"; do
    # The builds take turns with the servers from run to run.
    display=${displays[$(((index + run - 1) % ${#displays[@]}))]}
    mkdir -p "$work/config-$index"
    DISPLAY="$display" XDG_CONFIG_HOME="$work/config-$index" TMPDIR="$work" \
      "${programs[$index]}" --report-steps --saver "$work/demo.scr" SP >/dev/null 2>"$work/saver-$index.err" &
    saver_pids+=($!)
  done
  sleep "$warmup"
  starts=()
  for index in "${!programs[@]}"; do
    kill -0 "${saver_pids[$index]}" 2>/dev/null || {
      echo "the saver ended early:" >&2
      cat "$work/saver-$index.err" >&2
      exit 1
    }
    starts+=("$(cpu_ns "${saver_pids[$index]}")")
  done
  server_start=$(cpu_ns "${server_pids[0]}")
  start=$(now_ns)
  sleep "$seconds"
  ends=()
  for pid in "${saver_pids[@]}"; do ends+=("$(cpu_ns "$pid")"); done
  server_end=$(cpu_ns "${server_pids[0]}")
  elapsed=$(($(now_ns) - start))
  for pid in "${saver_pids[@]}"; do kill -TERM "$pid"; done
  for pid in "${saver_pids[@]}"; do wait "$pid" || true; done
  saver_pids=()
  steps=$(grep -o 'played [0-9]* steps' "$work/saver-0.err" | head -n1 || true)
  line="run $run: saver $(percent $((ends[0] - starts[0])) "$elapsed")% of one core,"
  if [[ -n "$against" ]]; then
    line+=" the other build $(percent $((ends[1] - starts[1])) "$elapsed")%, ratio"
    line+=" $(awk -v a=$((ends[0] - starts[0])) -v b=$((ends[1] - starts[1])) 'BEGIN { printf "%.3f", b ? a / b : 0 }'),"
  else
    line+=" X server $(percent $((server_end - server_start)) "$elapsed")%,"
  fi
  echo "$line over $(awk -v ns="$elapsed" 'BEGIN { printf "%.1f", ns / 1e9 }') s${steps:+ (in all: $steps)}"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
