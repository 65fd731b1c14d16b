#!/usr/bin/env bash
# The Windows build under wine, in a real terminal (tmux, 80 x 25): the
# start-up screen, both menus, the first target prompt of a game with the
# fleet placed at random, the quit line ending the program with status 0,
# and the console's screen as the shell left it. Wine's own settings
# (WINEPREFIX, WINEDEBUG ...) come from the caller.
#
# Wine's terminal console knows nothing of what the terminal showed before
# it started, so the shell here is wine's cmd: what it writes before the
# game is in the console's buffer, and must be on the screen again after.
#
# Usage: smoke_test.sh path/to/salvo.exe
set -euo pipefail
exe=$(realpath -- "$1")
server="salvo-wine-$$"
session=salvo

tmx() { tmux -L "$server" "$@"; }
screen() { tmx capture-pane -p -t "$session"; }
fail() {
  echo "FAIL: $*"
  echo "The screen:"
  screen | sed 's/^/|/'
  exit 1
}
cleanup() {
  local socket
  socket=$(tmx display -p '#{socket_path}' 2>/dev/null) || return 0
  tmx kill-server 2>/dev/null || true
  rm -f -- "$socket"
}
trap cleanup EXIT

# Waits for text on the screen; a first start of wine in a new prefix takes
# a while, so the wait is long.
wait_for() {
  local deadline=$((SECONDS + 90))
  until screen | grep -qF -- "$1"; do
    ((SECONDS < deadline)) || fail "no \"$1\" on the screen"
    sleep 0.2
  done
}

type_line() {
  tmx send-keys -t "$session" -l -- "$1"
  tmx send-keys -t "$session" Enter
}

unset TMUX
marker="Before the game"
tmx new-session -d -s "$session" -x 80 -y 25 -c "$(dirname -- "$exe")" \
  "wine cmd /c \"echo $marker&& $(basename -- "$exe")\"; echo EXIT=\$?; exec sleep 600"

wait_for "Select Your Opponent (type a number 1-4)"
[[ $(screen | sed -n 1p) == "  |ABCDEFGHIJ       |ABCDEFGHIJ    Your fleet          Opponent's fleet" ]] || fail "the boards' heading is not on the first row"
# Blank cells are blanks: no "?" for the cells the game leaves empty.
! screen | grep -qF "?" || fail "a \"?\" on the start-up screen"
echo "ok: start-up screen and the opponent menu"

type_line 1
wait_for " 2 - Place randomly"
echo "ok: the placement menu"

type_line 2
wait_for "You have 3 shots left. What is your target?"
# The player's fleet, placed at random, is on the left board: 30 squares.
ships=$(screen | sed -n 3,12p | cut -c4-13 | tr -cd O | wc -c)
((ships == 30)) || fail "$ships ship squares on the player's board, not 30"
echo "ok: the first target prompt, with the fleet on the board"

type_line -
wait_for "EXIT="
screen | grep -q "EXIT=0$" || fail "the quit line did not end the program with status 0"
echo "ok: the quit line ends it with status 0"
# The game drew on a buffer of its own: cmd's is on the screen again, and
# nothing of the game's.
[[ $(screen | grep -v '^$') == "$marker"$'\nEXIT=0' ]] || fail "the shell's screen is not back as it was"
echo "ok: the shell's screen is back"
