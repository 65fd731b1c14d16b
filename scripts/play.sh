#!/usr/bin/env bash
# Installs what is missing to build the game (cmake, g++, make, ncurses'
# terminfo library), builds the optimised version, quietly unless the build
# fails, and starts it. Works from any folder; its arguments go to the game.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"
cd "$SALVO_ROOT"

if salvo_is_macos; then
  salvo_brew_install cmake
else
  salvo_apt_install cmake g++ make libncurses-dev
fi

# The build says nothing unless it fails, so that a second run starts the
# game at once.
[[ -x build/release/salvo ]] || echo "Building the game (the first time takes a minute or two)..."
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake --preset release && cmake --build --preset release -j "$(salvo_jobs)" --target salvo; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "error: the build failed; its output is above" >&2
  exit 1
fi
rm -f "$log"
exec build/release/salvo "$@"
