#!/usr/bin/env bash
# The game's executable played in a window with a person's keys from the X server (xdotool), on
# the display it is started under (tools/window-check.sh and tools/tsan-game.sh open one): the
# splash's logos and controls screen passed with Space, "Play" with Return, the intro watched,
# then half a minute of flight with Space held, turning and climbing. A virtual display has no
# window manager: the window is given the keyboard's focus first, or the keys go to the root
# window. Given a folder, the screenshots are kept there beside the display checks' ones. The run
# must end in the world, and the executable without a fault (its log is shown when it has one).
#   tools/window-play.sh <game executable> [<screenshot folder>]
# QV_PLAY_PACE (default 1) stretches every wait and the run itself, for a slower build (under
# ThreadSanitizer loading takes longer).
set -euo pipefail
game=$(realpath "$1")
shots=${2:-}
pace=${QV_PLAY_PACE:-1}
paced() { awk -v s="$1" -v p="$pace" 'BEGIN { printf "%d", s * p }'; }
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
cp -r Assets Graphics "$data/"
mkdir "$data/bin"
# A small window keeps the software renderer's frames quick.
sed -i 's/^Width=.*/Width=320/; s/^Height=.*/Height=200/' "$data/Assets/Config/config.ini"
(cd "$data/bin" && exec "$game" --window --seconds "$(paced 110)" >"$data/summary.txt" 2>"$data/log.txt") &
pid=$!
until window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1) && [ -n "$window" ]; do
  kill -0 "$pid" 2>/dev/null || { echo "window-play: the game ended before its window showed" >&2; break; }
  sleep 0.5
done
if [ -n "$window" ]; then
  xdotool windowfocus --sync "$window"
  shot() { [ -z "$shots" ] || import -window "$window" "$shots/keys-$1.png"; }
  sleep "$(paced 15)" && shot controls
  xdotool key space && sleep "$(paced 5)" && shot menu
  xdotool key Return && sleep "$(paced 10)" && shot intro
  sleep "$(paced 30)" && shot world
  xdotool keydown space
  for step in a d s a d w; do
    xdotool keydown "$step"
    sleep "$(paced 5)"
    xdotool keyup "$step"
    shot "flight-$step"
  done
  xdotool keyup space
fi
status=0
wait "$pid" || status=$?
cat "$data/summary.txt"
if [ "$status" != 0 ]; then
  cat "$data/log.txt" >&2
  echo "window-play: the game ended with status $status" >&2
  exit 1
fi
grep -q "state World" "$data/summary.txt" || { echo "window-play: the keys did not bring the game into the world" >&2; exit 1; }
