#!/usr/bin/env bash
# Regenerates the game's sound in Assets/Sound: the banks of tools/samplebanks/SampleBanks.txt
# and the package "Streamed.pck" of the media they stream.
# usage: tools/samplebanks/make-sound.sh <build folder holding qv_samplebanks and sxpack>
set -euo pipefail
build=${1:?usage: make-sound.sh <build folder>}
root=$(cd "$(dirname "$0")/../.." && pwd)
banks=$(find "$build" -name qv_samplebanks -type f -perm -u+x | head -1)
pack=$(find "$build" -name sxpack -type f -perm -u+x | head -1)
out="$root/Assets/Sound"
rm -rf "$out/Streamed"
"$banks" "$root/tools/samplebanks/SampleBanks.txt" "$out"
"$pack" "$out/Streamed" "$out/Streamed.pck"
rm -rf "$out/Streamed"
