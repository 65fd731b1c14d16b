#!/usr/bin/env bash
# Installs what is missing (ncurses too, which only the frames benchmark
# links, to compare with), builds the release preset and runs the simulator
# and the benchmarks, printing their figures. Run from anywhere:
# scripts/bench.sh. Figures in games or calls a second depend on how busy
# the machine is: the load is printed first, so that a reader can judge them.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"
cd "$SALVO_ROOT"

if salvo_is_macos; then
  salvo_brew_install cmake ncurses
else
  salvo_apt_install cmake g++ make libncurses-dev
fi

cmake --preset release
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"

bin=build/release
echo
echo "== machine: $(nproc 2>/dev/null || echo '?') cores, load average $(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || uptime)"
echo
echo "== salvo-sim --games 10000 --level 1-4"
"$bin/sim/salvo-sim" --games 10000 --level 1-4
echo
echo "== salvo-sim --games 2000 --level 5 (the Admiral thinks longer: fewer games)"
"$bin/sim/salvo-sim" --games 2000 --level 5
echo
echo "== salvo-sim --games 2000 --even (fleets drawn evenly among all layouts, played as placed by hand)"
"$bin/sim/salvo-sim" --games 2000 --even
echo
echo "== salvo-sim --salvo --first random (the Salvo rule, each level against itself)"
"$bin/sim/salvo-sim" --games 2000 --level 1-4 --salvo --first random
"$bin/sim/salvo-sim" --games 500 --level 5 --salvo --first random
echo
echo "== salvo-bench-frames (level 3, seed 1)"
"$bin/bench/salvo-bench-frames" 3 1
echo
echo "== salvo-bench-pty --level 3 (the real program in a pseudo-terminal: typed, without colour, aimed)"
"$bin/bench/salvo-bench-pty" --level 3 "$bin/salvo"
"$bin/bench/salvo-bench-pty" --level 3 --term vt100 "$bin/salvo"
"$bin/bench/salvo-bench-pty" --level 3 --arrows "$bin/salvo"
echo
echo "== salvo-bench-hint 200 (the hint's odds, before every shot of 200 games)"
"$bin/bench/salvo-bench-hint" 200
echo
echo "== salvo-bench-placement 200000"
"$bin/bench/salvo-bench-placement" 200000
