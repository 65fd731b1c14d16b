#!/usr/bin/env bash
# The Windows build under wine's cmd in tmux (80 x 25): the options, the first
# target prompt, the arrows aiming and Backspace erasing through the console's
# input records, the quit line's status 0, and cmd's screen back with the
# tally of the run. WINEPREFIX and the like come from the caller.
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

# Waits for text on the screen, long: wine's first start in a new prefix is slow.
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
  "wine cmd /c \"echo $marker&& $(basename -- "$exe") --seed=1 --level=1 --place=random\"; echo EXIT=\$?; exec sleep 600"

wait_for "You have 3 shots left. What is your target?"
[[ $(screen | sed -n 1p) == "  |ABCDEFGHIJ       |ABCDEFGHIJ    Your fleet          Opponent's fleet" ]] || fail "the boards' heading is not on the first row"
# Blank cells are blanks: no "?" for the cells the game leaves empty.
! screen | sed -n 1,12p | grep -qF "?" || fail "a \"?\" on the boards"
# The player's fleet, placed at random, is on the left board: 30 squares.
ships=$(screen | sed -n 3,12p | cut -c4-13 | tr -cd O | wc -c)
((ships == 30)) || fail "$ships ship squares on the player's board, not 30"
echo "ok: the options taken, the boards and the fleets at the first target prompt"

# Two squares right and one down from A1: C2, the cursor on it. Backspace
# erases what was typed after it.
tmx send-keys -t "$session" Right Right Down
wait_for "> c2"
[[ $(tmx display -p -t "$session" '#{cursor_x},#{cursor_y}') == "23,3" ]] || fail "the cursor is not on C2"
tmx send-keys -t "$session" x BSpace Enter
wait_for "You have 2 shots left. What is your target?"
screen | grep -qx "> c2" || fail "C2 was not fired at as aimed"
echo "ok: the arrow keys aim and Backspace erases, through the console's input"

type_line -
wait_for "EXIT="
screen | grep -q "EXIT=0$" || fail "the quit line did not end the program with status 0"
# The game drew on a buffer of its own: cmd's is back, with nothing of the
# game's but the tally of the run.
[[ $(screen | grep -v '^$') == "$marker"$'\nsalvo: 1 game played, 0 won, 0 lost.\nEXIT=0' ]] || fail "the shell's screen is not back as it was"
echo "ok: the quit line ends it with status 0, and the shell's screen is back with the tally"
