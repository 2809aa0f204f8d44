#!/usr/bin/env bash
# Builds the fuzz targets with Clang and runs each for SECONDS (default 60) over a scratch copy
# of the seed corpus; the committed corpus is never written to. Extra arguments go to libFuzzer.
#   bash fuzz/run.sh [SECONDS] [libFuzzer options...]
# The build folder is $VORNELLE_FUZZ_BUILD (default build/fuzz, relative to the repository root).
# Inputs that break a property are kept in <build>/artifacts/<target>/; the exit status is
# non-zero when any target failed.
set -euo pipefail

seconds=${1:-60}
shift || true
if ! [[ $seconds =~ ^[0-9]+$ ]]; then
  echo "usage: $0 [SECONDS] [libFuzzer options...]" >&2
  exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VORNELLE_FUZZ_BUILD:-build/fuzz}
[[ $build = /* ]] || build=$root/$build

CC=clang CXX=clang++ cmake -S "$root" -B "$build" \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORNELLE_FUZZ=ON -DVORNELLE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_hex_to_text fuzz_text_to_hex --parallel

work=$(mktemp -d "${TMPDIR:-/tmp}/vornelle-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT

failed=0
for name in hex_to_text text_to_hex; do
  target=fuzz_$name
  corpus=$work/$name
  artifacts=$build/artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  cp "$root/fuzz/corpus/$name/." "$corpus/" -R
  log=$work/$target.log
  echo "== $target: ${seconds}s"
  status=0
  "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$@" >"$log" 2>&1 || status=$?
  grep -E '^(Done [0-9]+ runs|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' \
    "$log" || true
  if [[ $status -ne 0 ]]; then
    failed=1
    echo "!! $target failed (exit $status); the end of its log:"
    tail -n 40 "$log"
    echo "!! inputs kept in $artifacts/"
  else
    echo "   corpus grew from $(ls "$root/fuzz/corpus/$name" | wc -l) to $(ls "$corpus" | wc -l) inputs"
  fi
done
exit $failed
