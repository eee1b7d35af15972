#!/usr/bin/env bash
# Regenerates the game's sample content, each part by its own tool's step: the model
# descriptions and their model files, the textures, the particle volume texture, the physics
# samples and the sound.
#
# usage: tools/make-samples.sh <build folder>           rewrite the content in the tree
#        tools/make-samples.sh --check <build folder>   write all but the sound (whose encoder's
#                                                       output may change with its version) into a
#                                                       scratch folder and compare it with the
#                                                       tree's, byte for byte
# The build folder holds the tools (a release or test build: modelwriter, particletexture,
# physics_samples, and for the sound qv_samplebanks, sxpack and vorbispacker).
set -euo pipefail
check=0
if [ "${1:-}" = "--check" ]; then
  check=1
  shift
fi
build=${1:?usage: make-samples.sh [--check] <build folder>}
root=$(cd "$(dirname "$0")/.." && pwd)
# Debian's python3, which has the imaging library the textures are drawn with.
python=/usr/bin/python3
[ -x "$python" ] || python=python3

# A build keeps its tools under tools/; looking there first spares a walk of the whole build.
tool() {
  local found
  found=$(find "$build/tools" "$build" -name "$1" -type f -perm -u+x -print -quit 2>/dev/null)
  [ -n "$found" ] || { echo "make-samples: $1 is not built in $build" >&2; exit 1; }
  echo "$found"
}

# Model descriptions written by sample_models.py, then every description in the samples folder
# turned into its model file.
models() {
  local out=$1 writer name
  writer=$(tool modelwriter)
  mkdir -p "$out/tools/modelwriter/samples" "$out/Graphics/Models"
  cp "$root"/tools/modelwriter/samples/*.model "$out/tools/modelwriter/samples/" 2>/dev/null || true
  "$python" "$root/tools/modelwriter/sample_models.py" "$out/tools/modelwriter/samples"
  for description in "$out"/tools/modelwriter/samples/*.model; do
    name=$(basename "$description" .model)
    "$writer" "$description" "$out/Graphics/Models/$name.bin"
  done
}

particles() {
  local writer
  writer=$(tool particletexture)
  mkdir -p "$1/Graphics/ParticleAssets"
  "$writer" "$1/Graphics/ParticleAssets/volume_test.dds"
}

physics() {
  local writer
  writer=$(tool physics_samples)
  mkdir -p "$1/Assets/Models/fin" "$1/Assets/PhysicsMeshData" "$1/Assets/Textures/HeightMaps"
  "$writer" "$1/Assets" "$1/Graphics/Models"
}

# The texture script writes under Assets/Textures of the folder it runs in.
textures() {
  mkdir -p "$1/Assets/Textures/Hud" "$1/Assets/Textures/Sky"
  (cd "$1" && "$python" "$root/tools/sampletextures/make_sample_textures.py")
}

sound() {
  "$root/tools/samplebanks/make-sound.sh" "$build"
}

if [ $check -eq 0 ]; then
  models "$root"
  particles "$root"
  physics "$root"
  textures "$root"
  sound
  exit 0
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
models "$scratch"
particles "$scratch"
physics "$scratch"
textures "$scratch"
differ=0
while IFS= read -r file; do
  relative=${file#"$scratch"/}
  if ! cmp -s "$file" "$root/$relative"; then
    echo "make-samples: $relative differs from what its tool writes" >&2
    differ=1
  fi
done < <(find "$scratch" -type f | sort)
if [ $differ -ne 0 ]; then
  echo "make-samples: run tools/make-samples.sh <build folder> and commit the result" >&2
  exit 1
fi
echo "make-samples: $(find "$scratch" -type f | wc -l) files match what their tools write"
