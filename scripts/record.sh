#!/usr/bin/env bash
# Records the sessions in tests/sessions/ anew, from the typing in their
# headers: the headless ones (every frame, pause and line read) and the raw
# bytes of the games in a pseudo-terminal. Only on purpose: a change to a
# recording is a commit of its own that says why. Works from any folder.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"
cd "$SALVO_ROOT"

cmake --preset dev >/dev/null
cmake --build --preset dev -j "$(salvo_jobs)" --target salvo salvo_tests salvo-bench-pty
SALVO_RECORD=1 build/dev/tests/salvo_tests --gtest_filter='Sessions.*' --gtest_brief=1
bench=build/dev/bench/salvo-bench-pty
sessions=tests/sessions
"$bench" --check --level 1 --record "$sessions/pty-easy-typed.bytes" build/dev/salvo
"$bench" --check --level 1 --term vt100 --plain --arrows --record "$sessions/pty-easy-aimed-vt100.bytes" build/dev/salvo
git status --short -- "$sessions"
