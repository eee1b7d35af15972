#!/usr/bin/env bash
# The game's executable played in a window with a person's keys from the X server (xdotool), on
# the display tools/window-check.sh opens: the splash's logos and controls screen passed with
# Space, "Play" with Return, the intro watched, then half a minute of flight with Space held,
# turning and climbing. A virtual display has no window manager: the window is given the
# keyboard's focus first, or the keys go to the root window. The screenshots are kept beside the
# display checks' ones; the run must end in the world.
#   tools/window-play.sh <game executable> <screenshot folder>
set -euo pipefail
game=$(realpath "$1")
shots=$2
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
cp -r Assets Graphics "$data/"
mkdir "$data/bin"
sed -i 's/^Width=.*/Width=320/; s/^Height=.*/Height=200/' "$data/Assets/Config/config.ini"
(cd "$data/bin" && exec "$game" --window --seconds 110 >"$data/summary.txt" 2>"$data/log.txt") &
pid=$!
until window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1) && [ -n "$window" ]; do
  kill -0 "$pid" 2>/dev/null || { echo "window-play: the game ended before its window showed" >&2; exit 1; }
  sleep 0.5
done
xdotool windowfocus --sync "$window"
shot() { import -window "$window" "$shots/keys-$1.png"; }
sleep 15 && shot controls
xdotool key space && sleep 5 && shot menu
xdotool key Return && sleep 10 && shot intro
sleep 30 && shot world
xdotool keydown space
for step in a d s a d w; do
  xdotool keydown "$step"
  sleep 5
  xdotool keyup "$step"
  shot "flight-$step"
done
xdotool keyup space
wait "$pid" || true
cat "$data/summary.txt"
grep -q "state World" "$data/summary.txt" || { echo "window-play: the keys did not bring the game into the world" >&2; exit 1; }
