#!/usr/bin/env bash
# Regenerates the built-in codebook library from the encoder's own codebooks: a short noise
# signal is encoded at every quality for one to six channels at every rate from 8 to 96 kHz,
# and every distinct codebook of the results is added after those the library already holds
# (the packer given must be built with the current library), so packed media stay valid. Then
# the codebooks of the system's sound themes (under /usr/share/sounds) that the encoder no
# longer makes are added, so that their files pack as they are: those of an older encoder.
# usage: make-library.sh <vorbispacker> [out.cpp]
set -euo pipefail
packer=${1:?usage: make-library.sh <vorbispacker> [out.cpp]}
out=${2:-$(dirname "$0")/../../sound/engine/vorbis/SxVorbisLibraryData.cpp}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files=()
for rate in 8000 11025 16000 22050 24000 32000 44100 48000 88200 96000; do
  for channels in 1 2 3 4 5 6; do
    head -c $((rate * channels)) /dev/urandom > "$work/noise.raw"
    for quality in -1 0 1 2 3 4 5 6 7 8 9 10; do
      ogg="$work/$rate-$channels-$quality.ogg"
      oggenc -Q --raw --raw-rate=$rate --raw-chan=$channels --raw-bits=16 -q $quality -o "$ogg" "$work/noise.raw"
      files+=("$ogg")
    done
  done
done
while IFS= read -r -d '' themed; do
  files+=("$themed")
done < <(find /usr/share/sounds -type f \( -name '*.oga' -o -name '*.ogg' \) -print0 2>/dev/null | sort -z)
"$packer" library "$out" "${files[@]}"
