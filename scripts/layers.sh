#!/usr/bin/env bash
# Reads from the program's libraries which folder uses which, by their
# symbols (what each object needs and which library defines it), prints it,
# and fails on any use the layers don't allow: the game uses the screen, the
# rules and the terminal; the screen the rules and the terminal; the rules
# the terminal alone; each backend (and the model terminal) the terminal's
# interface alone. Usage: scripts/layers.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: scripts/layers.sh BUILD_DIR}
declare -A allowed=(
  [salvo_game]="salvo_screen salvo_rules salvo_terminal"
  [salvo_screen]="salvo_rules salvo_terminal"
  [salvo_rules]="salvo_terminal"
  [salvo_headless]="salvo_terminal" [salvo_posix]="salvo_terminal" [salvo_win32]="salvo_terminal"
  [salvo_vt]="salvo_terminal" [salvo_terminal]=""
)
libs=()
for lib in "${!allowed[@]}"; do
  [[ -f $build/lib$lib.a ]] && libs+=("$lib")
done
((${#libs[@]} >= 5)) || { echo "layers: the libraries are not built in $build" >&2; exit 2; }

# Every strong definition, as "symbol library"; then every use, as "library symbol".
defined=$(for lib in "${libs[@]}"; do
  nm --defined-only "$build/lib$lib.a" 2>/dev/null | awk -v lib="$lib" 'NF == 3 && $2 ~ /^[TDBR]$/ { print $3, lib }'
done | sort -u)
used=$(for lib in "${libs[@]}"; do
  nm --undefined-only "$build/lib$lib.a" 2>/dev/null | awk -v lib="$lib" '$1 == "U" { print $2, lib }'
done | sort -u)
edges=$(join <(echo "$defined") <(echo "$used") | awk '$2 != $3 { print $3, $2 }' | sort -u)

status=0
while read -r from to; do
  [[ -z $from ]] && continue
  if [[ " ${allowed[$from]} " == *" $to "* ]]; then
    echo "$from -> $to"
  else
    echo "$from -> $to: not allowed" >&2
    status=1
  fi
done <<<"$edges"
# tsort names a circle, if there is one.
if ! echo "$edges" | tsort >/dev/null 2>&1; then
  echo "the libraries use each other in a circle" >&2
  status=1
fi
exit $status
