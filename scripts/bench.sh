#!/bin/sh
# Builds the release preset and runs the simulator and the benchmarks,
# printing their figures. Run from anywhere: scripts/bench.sh
# Figures in games or calls a second depend on how busy the machine is: the
# load is printed first, so that a reader can judge them.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset release
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"

bin=build/release
echo
echo "== machine: $(nproc 2>/dev/null || echo '?') cores, load average $(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || uptime)"
echo
echo "== salvo-sim --games 10000 --level all"
"$bin/sim/salvo-sim" --games 10000 --level all
echo
echo "== salvo-bench-frames"
"$bin/bench/salvo-bench-frames"
echo
echo "== salvo-bench-placement 200000"
"$bin/bench/salvo-bench-placement" 200000
