#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for about SECONDS/4
# seconds on the seed corpus plus what earlier runs found. Exits non-zero
# when a target crashes; the crashing input is left in build-fuzz/artifacts/.
#
#   bash scripts/fuzz.sh 60
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
per_target=$(( seconds / 4 > 1 ? seconds / 4 : 1 ))
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DSKY_BUILD_FUZZ=ON -DSKY_BUILD_TESTS=OFF \
  -DSKY_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_tiles fuzz_palette fuzz_squirrel fuzz_regex level_tiles -j2

seeds="$build/fuzz-seeds"
python3 fuzz/make_seeds.py "$seeds" "$build/bin/tiles.bin" "$build/bin/level.pal"
# The language tests are the compiler's seeds, and compiled, the closure
# reader's: a run over the scripts alone writes the closures out.
mkdir -p "$seeds/squirrel" "$seeds/squirrel-closures"
cp tests/squirrel/*.nut "$seeds/squirrel/"
SKY_FUZZ_CLOSURE_SEEDS="$seeds/squirrel-closures" "$build/fuzz/fuzz_squirrel" -runs=0 "$seeds/squirrel" >/dev/null 2>&1
cp "$seeds/squirrel-closures/"* "$seeds/squirrel/"
mkdir -p "$build/artifacts" "$seeds/regex"
# Regex seeds: pattern, a zero byte, text.
printf '(a|b)*c\0xababc' >"$seeds/regex/alternation"
printf '^\\w+\\s*[^0-9]{2,3}$\0\x05word  xy' >"$seeds/regex/classes"
printf '((a*)*b)?\\b\0aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab' >"$seeds/regex/nested"

for target in tiles palette squirrel regex; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "== fuzz_$target for ${per_target}s"
  "$build/fuzz/fuzz_$target" "$corpus" "$seeds/$target" -max_total_time="$per_target" -max_len=16384 \
    -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-"
done
echo "fuzzing: no crash"
