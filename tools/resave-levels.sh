#!/usr/bin/env bash
# Saves the levels of Assets/Levels again through the level editor's own save (every level, or
# those named), so that they are kept in the form the editor writes. Builds the tool in the
# release build folder first.
#   tools/resave-levels.sh [level ...]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQV_TESTS=OFF -DQV_BENCH=OFF >/dev/null
cmake --build build/release -j4 --target level_resave
cd bin
exec ./level_resave "$@"
