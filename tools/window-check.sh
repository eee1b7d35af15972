#!/usr/bin/env bash
# Plays the game in a window on a virtual display with the software OpenGL renderer and checks
# what reaches the screen (tests/display). Not part of ./test: it needs Xvfb.
#   tools/window-check.sh [build folder, default build/test] [test options, e.g. --gtest_filter=...]
# The screenshots the checks take (the menu, the start view, the flight along the way, each
# season, the ending, the editor, ...) are kept as PNG images named by what they show, in
# <build folder>/screenshots (or the folder QV_FRAMES names), for a person to look at.
set -euo pipefail
cd "$(dirname "$0")/.."
# The key sender and the screenshot tool beside the build's packages (which hold the virtual display).
./tools/install-deps.sh xdotool imagemagick
build=build/test
if [ $# -gt 0 ] && [[ $1 != -* ]]; then build=$1; shift; fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_TESTS=ON -DQV_BENCH=OFF \
        -DQV_BIN_DIR="$PWD/$build/bin" >/dev/null
fi
cmake --build "$build" -j3 --target display_tests quorvanta
export QV_SOURCE_DIR=$PWD
export LIBGL_ALWAYS_SOFTWARE=1
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# The display libraries (message bus, the unloaded GL driver) keep allocations for the life of
# the process; the game's own leaks are checked by every other test under the sanitizers.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export QV_FRAMES=${QV_FRAMES:-$PWD/$build/screenshots}
mkdir -p "$QV_FRAMES"
rm -f "$QV_FRAMES"/*.ppm "$QV_FRAMES"/*.png
status=0
xvfb-run -a -s "-screen 0 1600x1200x24" "$build/tests/display_tests" "$@" || status=$?
# The executable played with keys from the X server, as a person's keys reach it.
xvfb-run -a -s "-screen 0 1600x1200x24" tools/window-play.sh "$build/bin/quorvanta" "$QV_FRAMES" || status=$?
/usr/bin/python3 - "$QV_FRAMES" <<'PY'
import pathlib, sys
from PIL import Image
for ppm in sorted(pathlib.Path(sys.argv[1]).glob("*.ppm")):
    Image.open(ppm).save(ppm.with_suffix(".png"))
    ppm.unlink()
PY
echo "screenshots: $QV_FRAMES"
exit $status
