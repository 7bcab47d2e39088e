#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   fuzz/run.sh [seconds-per-target]        (default 60)
# Environment: BUILD_DIR (default build/fuzz), SOURCE_DIR (default the repository),
#   MERGE=1 to merge new interesting inputs, minimised, into fuzz/corpus/<target>.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/.." && pwd)"
seconds="${1:-60}"
build="${BUILD_DIR:-$repo/build/fuzz}"
source="${SOURCE_DIR:-$repo}"

CXX=clang++ CC=clang cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDIAGRAM_FUZZ=ON -DDIAGRAM_TESTS=OFF -DDIAGRAM_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_binary_reader fuzz_text_parser -j "$(nproc)"

for target in binary_reader text_parser; do
  work="$build/corpus-$target"
  mkdir -p "$work" "$build/findings-$target"
  echo "== fuzz_$target for ${seconds}s"
  "$build/fuzz/fuzz_$target" "$work" "$here/corpus/$target" \
    -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/findings-$target/" -print_final_stats=1
  if [[ "${MERGE:-0}" == 1 ]]; then
    "$build/fuzz/fuzz_$target" -merge=1 "$here/corpus/$target" "$work" >/dev/null 2>&1
  fi
done
