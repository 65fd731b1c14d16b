# shellcheck shell=bash
# Shared by the scripts beside it and by .ci/run; sourced, never run by itself.
# Sets SALVO_ROOT to the repository's top folder and installs what is missing.

export SALVO_ROOT
SALVO_ROOT=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/.." && pwd)

# Runs a command as root: as it is when we are root, else through sudo.
salvo_as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "error: need root or sudo to run: $*" >&2
    return 1
  fi
}

# Installs those of the given Debian packages that are not installed yet,
# and says which. Runs apt-get update only when something is missing.
salvo_apt_install() {
  if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
    echo "Not a Debian or Ubuntu system: make sure these (or their equivalents) are installed: $*"
    return 0
  fi
  local missing=() pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  ((${#missing[@]} > 0)) || return 0
  echo "Installing: ${missing[*]}"
  salvo_as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null
  salvo_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
}

# The same with Homebrew on macOS (the compiler and make come with Xcode's
# command line tools).
salvo_brew_install() {
  local missing=() formula
  for formula in "$@"; do
    brew list --formula "$formula" >/dev/null 2>&1 || missing+=("$formula")
  done
  ((${#missing[@]} > 0)) || return 0
  echo "Installing: ${missing[*]}"
  brew install "${missing[@]}" </dev/null
}

salvo_is_macos() { [[ $(uname -s) == Darwin ]]; }

# How many compile jobs to run at once: one a core.
salvo_jobs() { nproc 2>/dev/null || sysctl -n hw.ncpu 2>/dev/null || echo 2; }
