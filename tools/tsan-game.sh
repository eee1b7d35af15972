#!/usr/bin/env bash
# The whole game under ThreadSanitizer: builds the game and its whole-game tests with it
# (build/tsan-game) and plays them headless: from the splash through the menu and the intro into
# the world, keys held for thousands of frames, the sound engine's audio, bank and stream threads,
# the worker pool and the sound capture running beside the frame loop; then the game executable
# itself for a bounded run that saves its sound. A data race or a lock-order inversion fails it.
# --asan plays the same with AddressSanitizer and UndefinedBehaviorSanitizer (build/test, as ./test
# configures it). Not part of ./test: it takes some minutes.
#   tools/tsan-game.sh [--asan] [test filter, default: the plays listed below]
# QV_BUILD_JOBS=N builds with N jobs (default: as many as there are cores).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
sanitizer=tsan
if [ "${1:-}" = --asan ]; then
  sanitizer=asan
  shift
fi
# The plays: the whole story with keys from the menu to the credits; flight with the sound
# captured (wind, thunder, stingers, gusts, the music moving); pause, credits and quit; a second
# run in the same process, which starts and stops every thread again.
filter=${1:-'Playthrough.*:GameSound.*:FromTheMenu.*:WorldStart.*'}
jobs="${QV_BUILD_JOBS:-$(nproc)}"
if [ "$sanitizer" = tsan ]; then
  build=build/tsan-game
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQV_TSAN=ON -DQV_TSAN_GAME=ON -DQV_WERROR=ON -DQV_TESTS=ON \
        -DQV_BENCH=OFF >/dev/null
else
  build=build/test
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_TESTS=ON -DQV_BENCH=ON -DQV_WERROR=ON \
        -DQV_BIN_DIR="$PWD/$build/bin" >/dev/null
  export LSAN_OPTIONS="suppressions=$PWD/tools/lsan-system.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
fi
cmake --build "$build" -j"$jobs" --target app_tests
tests="$PWD/$build/tests/app_tests"
game="$(sed -n 's/^QV_BIN_DIR:PATH=//p' "$build/CMakeCache.txt")/quorvanta"

# Every report is kept whole; a report of either sanitizer makes its program exit non-zero.
export TSAN_OPTIONS="halt_on_error=0 second_deadlock_stack=1${TSAN_OPTIONS:+ $TSAN_OPTIONS}"
run=()
# Under some kernels' address randomisation ThreadSanitizer cannot lay out its shadow memory and
# every instrumented program stops at once; it then runs with randomisation off.
if [ "$sanitizer" = tsan ] && ! "$tests" --gtest_list_tests >/dev/null 2>&1 &&
   setarch "$(uname -m)" -R "$tests" --gtest_list_tests >/dev/null 2>&1; then
  echo "ThreadSanitizer needs address randomisation off here: running under setarch -R"
  run=(setarch "$(uname -m)" -R)
fi
failed=0
QV_SOURCE_DIR="$PWD" ${run[@]+"${run[@]}"} "$tests" --gtest_filter="$filter" || failed=1
# The executable as ./run starts it, from its folder beside the sample data's copy: headless, it
# waits on the splash's controls screen while the sound plays and is captured.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cp -r Assets Graphics "$scratch/"
mkdir "$scratch/bin"
(cd "$scratch/bin" && ${run[@]+"${run[@]}"} "$game" --frames 600 --wav "$scratch/run.wav") || failed=1

# The game in a window on a virtual display, as a player plays it (tools/window-play.sh), the
# sound card's callback thread (SDL's dummy driver) and the display's threads beside the frame
# loop. The software renderer is not the project's: its threads' own locking is let pass
# (tools/tsan-system.supp), and under AddressSanitizer its unloaded driver's blocks are not
# counted as leaks, as in tools/window-check.sh.
if command -v xvfb-run >/dev/null && command -v xdotool >/dev/null; then
  export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy QV_PLAY_PACE=1.4
  export TSAN_OPTIONS="$TSAN_OPTIONS suppressions=$PWD/tools/tsan-system.supp"
  [ "$sanitizer" = asan ] && export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
  xvfb-run -a -s "-screen 0 1024x768x24" ${run[@]+"${run[@]}"} tools/window-play.sh "$game" || failed=1
else
  echo "tools/tsan-game.sh: no xvfb-run or xdotool: the windowed play is left out" >&2
fi
if [ "$failed" = 1 ]; then
  echo "tools/tsan-game.sh: the game under $sanitizer failed or reported a fault (above)" >&2
  exit 1
fi
echo "tools/tsan-game.sh: the game ran clean under $sanitizer"
