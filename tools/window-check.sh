#!/usr/bin/env bash
# Plays the game in a window on a virtual display with the software OpenGL renderer and checks
# what reaches the screen (tests/display). Not part of ./test: it needs Xvfb.
#   tools/window-check.sh [build folder, default build/test] [test options, e.g. --gtest_filter=...]
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
build=build/test
if [ $# -gt 0 ] && [[ $1 != -* ]]; then build=$1; shift; fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_TESTS=ON -DQV_BENCH=OFF \
        -DQV_BIN_DIR="$PWD/$build/bin" >/dev/null
fi
cmake --build "$build" -j4 --target display_tests
export QV_SOURCE_DIR=$PWD
export LIBGL_ALWAYS_SOFTWARE=1
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# The display libraries (message bus, the unloaded GL driver) keep allocations for the life of
# the process; the game's own leaks are checked by every other test under the sanitizers.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
exec xvfb-run -a -s "-screen 0 1600x1200x24" "$build/tests/display_tests" "$@"
