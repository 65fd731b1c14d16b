#!/usr/bin/env bash
# Installs what is missing to build and test the game (cmake, g++, make,
# ncurses' terminfo library, GoogleTest, tmux), builds the debug version with the tests and runs them
# all: the unit tests and the end-to-end tests in a real terminal. Works from
# any folder; exits non-zero when a test fails.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"
cd "$SALVO_ROOT"

if salvo_is_macos; then
  salvo_brew_install cmake googletest tmux
else
  salvo_apt_install cmake g++ make libncurses-dev libgtest-dev libgmock-dev tmux
fi

cmake --preset dev
cmake --build --preset dev -j "$(salvo_jobs)"
ctest --preset dev
