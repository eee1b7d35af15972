#!/usr/bin/env bash
# Regenerates the game's sound in Assets/Sound: the banks of tools/samplebanks/SampleBanks.txt
# and the package "Streamed.sxpk" of the media they stream, those written as WAV files encoded
# with oggenc (at a rate the built-in codebooks cover) and packed with vorbispacker.
# usage: tools/samplebanks/make-sound.sh <build folder holding qv_samplebanks, sxpack, vorbispacker>
set -euo pipefail
build=${1:?usage: make-sound.sh <build folder>}
root=$(cd "$(dirname "$0")/../.." && pwd)
banks=$(find "$build" -name qv_samplebanks -type f -perm -u+x | head -1)
pack=$(find "$build" -name sxpack -type f -perm -u+x | head -1)
vorbis=$(find "$build" -name vorbispacker -type f -perm -u+x | head -1)
out="$root/Assets/Sound"
rm -rf "$out/Streamed"
"$banks" "$root/tools/samplebanks/SampleBanks.txt" "$out"
for wav in "$out"/Streamed/*.wav; do
  [ -e "$wav" ] || continue
  oggenc -Q -q 2 --resample 22050 -o "${wav%.wav}.ogg" "$wav"
  "$vorbis" pack "${wav%.wav}.ogg" "${wav%.wav}.med"
  rm "$wav" "${wav%.wav}.ogg"
done
"$pack" "$out/Streamed" "$out/Streamed.sxpk"
rm -rf "$out/Streamed"
