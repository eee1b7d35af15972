#!/usr/bin/env bash
# Lays out every tracked C++ source with .clang-format; with --check it changes nothing and
# lists the files whose layout differs (exit status 1 when there is one).
set -euo pipefail
cd "$(dirname "$0")/.."
formatter="${CLANG_FORMAT:-clang-format}"
# Tables written by tools or laid out as one row per line for reading: left as they are.
generated='^(sound/engine/vorbis/SxVorbisLibraryData\.cpp|sound/engine/vorbis/SxVorbisFloorTable\.cpp|sound/plugins/studio/DeviceSimModelTable\.cpp)$'
mode=(-i)
if [ "${1:-}" = "--check" ]; then mode=(--dry-run --Werror); fi
git ls-files '*.cpp' '*.h' | grep -Ev "$generated" | tr '\n' '\0' |
  xargs -0 -P"$(nproc)" -n50 "$formatter" --style=file "${mode[@]}"
