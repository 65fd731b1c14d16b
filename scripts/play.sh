#!/usr/bin/env bash
# Installs what is missing to build the game (cmake, g++, make), builds the
# optimised version and starts it. Works from any folder.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"
cd "$SALVO_ROOT"

if salvo_is_macos; then
  salvo_brew_install cmake
else
  salvo_apt_install cmake g++ make
fi

cmake --preset release
cmake --build --preset release -j "$(salvo_jobs)" --target salvo
exec build/release/salvo
