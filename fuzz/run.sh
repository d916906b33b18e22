#!/usr/bin/env bash
# Builds a fuzz target and runs it for a while.
#   fuzz/run.sh read|roundtrip|design|express SECONDS
# The corpus grows in build-fuzz/corpus/TARGET (seeded from fuzz/seeds and, for the reader targets, from
# slices of the real files in ../shared/data); inputs that crash, hang or leak land in
# build-fuzz/artifacts/TARGET: copy them to fuzz/regressions/ so that the test suite replays them.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?target: read, roundtrip, design or express}
seconds=${2:-60}
build=build-fuzz
command -v clang++-14 > /dev/null || { echo "clang++-14 is needed (Debian: clang-14 libfuzzer-14-dev)"; exit 2; }
if [ ! -f $build/CMakeCache.txt ]; then
  cmake -S . -B $build -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIVO_FUZZ=ON \
    -DMIVO_BUILD_TESTS=OFF -DMIVO_BUILD_BENCH=OFF > /dev/null
fi
cmake --build $build -j"$(nproc)" --target ${target}_fuzzer > /dev/null
corpus=$build/corpus/$target
artifacts=$build/artifacts/$target
mkdir -p "$corpus" "$artifacts"
if [ "$target" = express ]; then
  cp -n fuzz/seeds/express/* "$corpus"/ 2>/dev/null || true
  dict=fuzz/express.dict
else
  cp -n fuzz/seeds/read/* "$corpus"/ 2>/dev/null || true
  cp -n fuzz/seeds/design/* "$corpus"/ 2>/dev/null || true
  cp -n fuzz/regressions/* "$corpus"/ 2>/dev/null || true
  data=../shared/data
  if [ -d "$data" ] && [ -z "$(ls "$corpus" | grep '^slice-' | head -1)" ]; then
    # Slices of real files: 60 statements from a few places of each file, with a header around them.
    for f in "$data"/nist/*.stp "$data"/assemblies/*.step; do
      total=$(grep -c '^#' "$f" || true)
      for part in 1 2 3; do
        start=$(( total * part / 4 ))
        out="$corpus/slice-$(basename "$f")-$part"
        { sed -n '1,/^DATA;/p' "$f"; grep '^#' "$f" | sed -n "$((start + 1)),$((start + 60))p"; \
          printf 'ENDSEC;\nEND-ISO-10303-21;\n'; } > "$out"
      done
    done
  fi
  dict=fuzz/p21.dict
fi
exec $build/fuzz/${target}_fuzzer "$corpus" -dict=$dict -max_total_time="$seconds" -timeout=5 \
  -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts/"
