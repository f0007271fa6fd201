#!/usr/bin/env bash
# Start-up to first shown main window, against a trivial X client that shows a window (xmessage)
# on the same virtual X server in the same run; the median of several starts of each. Then the
# resident memory of the program just after its window showed, and after 100 slides (measured in
# process by designer_bench).
#
# Usage: bench/startup.sh [build directory] [starts] [display number]
#        (defaults: build, 9, the first display from :50 on without a lock file)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
starts=${2:-9}
binary=$build/pattern-designer
bench=$build/bench/designer_bench
caption='澄岚数学图案自动设计器（永久免费版）'

for tool in Xvfb xdotool xmessage; do
    command -v "$tool" >/dev/null || { echo "startup.sh: $tool is missing" >&2; exit 1; }
done
[[ -x $binary ]] || { echo "startup.sh: no $binary; build first" >&2; exit 1; }

# A display number whose lock file is free; Xvfb itself refuses one that is taken. Without
# -noreset the server resets whenever its last client leaves, and a start that falls into the
# reset cannot connect.
display=${3:-}
if [[ -z $display ]]; then
    display=50
    while [[ -e /tmp/.X$display-lock ]]; do display=$((display + 1)); done
fi
errors=$(mktemp)
Xvfb ":$display" -screen 0 1600x1000x24 -nolisten tcp -noreset 2>/dev/null &
xvfb=$!
child=
cleanup() {
    [[ -n $child ]] && kill "$child" 2>/dev/null && wait "$child" 2>/dev/null
    kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -f "$errors"
}
trap cleanup EXIT
export DISPLAY=:$display
for _ in $(seq 200); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    kill -0 "$xvfb" 2>/dev/null || { echo "startup.sh: Xvfb could not start on $DISPLAY" >&2; exit 1; }
    sleep 0.05
done
unset QT_QPA_PLATFORM

now_ns() { date +%s%N; }

# Starts the command in the background and sets elapsed to the milliseconds until a visible window
# named $1 exists; the child stays running in $child for the caller to read and stop.
time_to_window() {
    local name=$1
    shift
    local start
    start=$(now_ns)
    "$@" >/dev/null 2>"$errors" &
    child=$!
    # Every 20 ms, at the lowest priority: a tighter loop of new processes would take the CPU
    # from the start-up it times. Both programs are timed the same way.
    until nice -n 19 xdotool search --onlyvisible --name "$name" >/dev/null 2>&1; do
        kill -0 "$child" 2>/dev/null || { echo "startup.sh: $1 exited before showing its window:" >&2; cat "$errors" >&2; exit 1; }
        sleep 0.02
    done
    elapsed=$((($(now_ns) - start) / 1000000))
}

stop_child() {
    kill "$child" 2>/dev/null || true
    wait "$child" 2>/dev/null || true
    child=
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

program_ms=()
baseline_ms=()
rss_kb=()
for _ in $(seq "$starts"); do
    time_to_window 'startup baseline' xmessage -title 'startup baseline' baseline
    baseline_ms+=("$elapsed")
    stop_child
    time_to_window "$caption" "$binary"
    program_ms+=("$elapsed")
    rss_kb+=("$(awk '/^VmRSS:/ { print $2 }' "/proc/$child/status")")
    stop_child
done

program=$(printf '%s\n' "${program_ms[@]}" | median)
baseline=$(printf '%s\n' "${baseline_ms[@]}" | median)
rss=$(printf '%s\n' "${rss_kb[@]}" | median)
echo "starts: $starts on $DISPLAY"
echo "main window shown after:     ${program} ms median (${program_ms[*]})"
echo "xmessage window shown after: ${baseline} ms median (${baseline_ms[*]})"
awk -v p="$program" -v b="$baseline" 'BEGIN { printf "speedup (xmessage / program): %.2f\n", b / (p > 0 ? p : 1) }'
awk -v k="$rss" 'BEGIN { printf "resident memory at start-up: %.1f MB median\n", k / 1024 }'

if [[ -x $bench ]]; then
    QT_QPA_PLATFORM=offscreen "$bench" --benchmark_filter=BM_ResidentAfter100Slides
fi
