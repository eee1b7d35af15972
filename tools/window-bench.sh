#!/usr/bin/env bash
# The world's frame in a 640 x 400 and a 1280 x 800 window, drawn by OpenGL with the software
# renderer on a virtual display (bench/game): in flight as a player flies it, from the menu
# through the intro with keys, CPU per frame and frames per second (BM_WorldFlight), and the
# start view before the vehicle moves, on the recording device alone and in the window
# (BM_WorldFrame640x400 and BM_WorldFrame1280x800).
# Not part of ./test: it needs Xvfb.
#   tools/window-bench.sh [build folder, default build/bench] [benchmark options]
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
build=build/bench
if [ $# -gt 0 ] && [[ $1 != -* ]]; then build=$1; shift; fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQV_TESTS=OFF -DQV_BENCH=ON \
        -DQV_BIN_DIR="$PWD/$build/bin" >/dev/null
fi
cmake --build "$build" -j4 --target game_bench
export LIBGL_ALWAYS_SOFTWARE=1
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
exec xvfb-run -a -s "-screen 0 1600x1200x24" "$build/bench/game_bench" \
     --benchmark_filter='BM_WorldFlight|BM_WorldFrame(640x400|1280x800)|BM_WorldFrameWithTweakBars640x400' "$@"
