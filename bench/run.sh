#!/usr/bin/env bash
# Vornelle benchmarks. Prints figures; it checks no goal by failing, it only reports.
#
#   bench/run.sh                 every section
#   bench/run.sh conversion      only the named sections
#
# Settings (environment): BUILD_DIR (default build/bench, configured here in Release, tests off),
# RUNS (timed runs per command, best kept; default 3), BENCH_BYTES (size of the random text;
# default 64 MiB), KEEP_DATA=1 (keep the temporary folder and print its path).
#
# Needs: cmake, a C++20 compiler, xxd, GNU time as /usr/bin/time (Debian package "time").
#
# Layout: shared helpers, then one section_NAME function per section, each followed by
# `register_section NAME "what it measures"`. A new section goes below the last one, above the
# `main "$@"` line, which must stay the last line.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build/bench}
RUNS=${RUNS:-3}
BENCH_BYTES=${BENCH_BYTES:-$((64 << 20))}
GNU_TIME=/usr/bin/time

SECTIONS=()
declare -A SECTION_TITLES=()
register_section() {
  SECTIONS+=("$1")
  SECTION_TITLES[$1]=$2
}

need_command() {
  if ! command -v "$1" >/dev/null 2>&1; then
    echo "run.sh: '$1' is missing (Debian: apt-get install $2)" >&2
    exit 1
  fi
}

# The temporary folder of this run, removed at exit unless KEEP_DATA=1.
WORK=
work_dir() {
  if [[ -z $WORK ]]; then
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/vornelle-bench.XXXXXX")
    if [[ ${KEEP_DATA:-0} == 1 ]]; then
      echo "data kept in $WORK"
    else
      trap 'rm -rf "$WORK"' EXIT
    fi
  fi
}

build_conversion_bench() {
  need_command cmake cmake
  cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DVORNELLE_BUILD_TESTS=OFF \
    >"$WORK/cmake-configure.log" 2>&1 || { cat "$WORK/cmake-configure.log" >&2; exit 1; }
  cmake --build "$BUILD_DIR" --target conversion_bench >"$WORK/cmake-build.log" 2>&1 ||
    { cat "$WORK/cmake-build.log" >&2; exit 1; }
  CONVERSION_BENCH=$BUILD_DIR/bench/conversion_bench
}

now_ns() { date +%s%N; }

# measure STDOUT_FILE COMMAND...: runs COMMAND $RUNS times, its stdout to STDOUT_FILE (appended,
# one run after another). Sets BEST_SECONDS (shortest wall-clock time of a whole run, process
# start to exit) and PEAK_KIB (largest maximum resident set that GNU time reported, in KiB).
measure() {
  local stdout_file=$1
  shift
  local run start stop ns best_ns= kib peak=0
  for ((run = 1; run <= RUNS; run++)); do
    start=$(now_ns)
    "$GNU_TIME" -f %M -o "$WORK/time.out" "$@" >>"$stdout_file"
    stop=$(now_ns)
    ns=$((stop - start))
    if [[ -z $best_ns ]] || ((ns < best_ns)); then best_ns=$ns; fi
    kib=$(tail -n 1 "$WORK/time.out")
    if ((kib > peak)); then peak=$kib; fi
  done
  BEST_SECONDS=$(awk -v ns="$best_ns" 'BEGIN { printf "%.6f", ns / 1e9 }')
  PEAK_KIB=$peak
}

# The shortest conversion-alone time among the figure lines that conversion_bench printed.
best_conversion_seconds() {
  sed -n 's/.* seconds=\([0-9.]*\) .*/\1/p' "$1" | sort -g | head -n 1
}

# ---------------------------------------------------------------------------------------------
# Section: the conversions in memory, against xxd.

section_conversion() {
  need_command xxd xxd
  [[ -x $GNU_TIME ]] || { echo "run.sh: $GNU_TIME is missing (Debian: apt-get install time)" >&2; exit 1; }
  work_dir
  build_conversion_bench
  local bench=$CONVERSION_BENCH
  local text=$WORK/text.bin listing=$WORK/listing.txt

  # The data: BENCH_BYTES random bytes 0x01..0xFF from a fixed seed, and their listing as our
  # conversion writes it ("XX " per byte).
  "$bench" generate "$text" "$BENCH_BYTES" >/dev/null
  "$bench" text-to-hex "$text" "$listing" >/dev/null
  local text_bytes listing_bytes
  text_bytes=$(stat -c %s "$text")
  listing_bytes=$(stat -c %s "$listing")

  # Sanity, untimed: both tools agree on the bytes.
  local checks=ok
  if ! cmp -s <(tr -d ' ' <"$listing") <(xxd -p -u "$text" | tr -d '\n'); then
    checks="FAILED: our listing without spaces differs from xxd -p -u without line breaks"
  elif ! cmp -s <(xxd -r -p "$listing") "$text"; then
    checks="FAILED: xxd -r -p does not read our listing back into the text"
  elif ! cmp -s <("$bench" hex-to-text "$listing" - 2>/dev/null) "$text"; then
    checks="FAILED: our hex-to-text does not give the text back"
  fi

  # Timed: every command reads its input file and writes its result to /dev/null.
  local t2h_figures=$WORK/t2h.figures h2t_figures=$WORK/h2t.figures
  : >"$t2h_figures"
  : >"$h2t_figures"
  measure "$t2h_figures" "$bench" text-to-hex "$text" /dev/null
  local our_t2h_s=$BEST_SECONDS our_t2h_kib=$PEAK_KIB
  measure /dev/null xxd -p -u "$text"
  local xxd_t2h_s=$BEST_SECONDS xxd_t2h_kib=$PEAK_KIB
  measure "$h2t_figures" "$bench" hex-to-text "$listing" /dev/null
  local our_h2t_s=$BEST_SECONDS our_h2t_kib=$PEAK_KIB
  # xxd -r -p reads our listing as it is (it skips the spaces), so both read the same file.
  measure /dev/null xxd -r -p "$listing"
  local xxd_h2t_s=$BEST_SECONDS xxd_h2t_kib=$PEAK_KIB
  # For reference only: xxd -r -p on its own -p form (60 digits a line, no spaces).
  local xxd_listing=$WORK/xxd-p.txt
  xxd -p -u "$text" >"$xxd_listing"
  measure /dev/null xxd -r -p "$xxd_listing"
  local xxd_own_s=$BEST_SECONDS xxd_own_bytes
  xxd_own_bytes=$(stat -c %s "$xxd_listing")

  local our_t2h_conv_s our_h2t_conv_s
  our_t2h_conv_s=$(best_conversion_seconds "$t2h_figures")
  our_h2t_conv_s=$(best_conversion_seconds "$h2t_figures")

  echo
  echo "== ${SECTION_TITLES[conversion]}"
  echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) CPUs;" \
    "$(xxd -v 2>&1 | head -n 1); best of $RUNS runs; sanity checks: $checks"
  echo "MB/s = 10^6 input bytes (of that conversion) per second. 'process' = whole run of the"
  echo "program (read file, convert, write to /dev/null), wall clock, the same for us and xxd;"
  echo "'conv' = our conversion call alone. Peak = max RSS from GNU time (%M), the same for both."
  echo "xxd commands: xxd -p -u TEXT; xxd -r -p LISTING (our listing, with spaces, as input)."
  awk -v rows="text-to-hex $text_bytes $listing_bytes $our_t2h_s $our_t2h_conv_s $xxd_t2h_s $our_t2h_kib $xxd_t2h_kib
hex-to-text $listing_bytes $text_bytes $our_h2t_s $our_h2t_conv_s $xxd_h2t_s $our_h2t_kib $xxd_h2t_kib" '
    BEGIN {
      mib = 1048576
      fmt = "%-11s | %8s | %8s | %8s | %8s | %7s | %8s | %8s | %9s | %8s | %s\n"
      printf fmt, "operation", "our MB/s", "our MB/s", "xxd MB/s", "ratio", "ratio", "our peak",
             "in+out", "peak /", "xxd peak", "goals"
      printf fmt, "", "process", "conv", "process", "process", "conv", "MiB", "MiB", "(in+out)",
             "MiB", "3x, 1.2x"
      n = split(rows, line, "\n")
      for (i = 1; i <= n; i++) {
        split(line[i], f, " ")
        in_b = f[2]; out_b = f[3]
        our = in_b / f[4] / 1e6; conv = in_b / f[5] / 1e6; xxd = in_b / f[6] / 1e6
        peak = f[7] / 1024; inout = (in_b + out_b) / mib
        goals = (our / xxd >= 3 ? "met" : "MISSED") "," (peak / inout <= 1.2 ? "met" : "MISSED")
        printf "%-11s | %8.1f | %8.1f | %8.1f | %7.2fx | %6.2fx | %8.1f | %8.1f | %9.3f | %8.1f | %s\n",
               f[1], our, conv, xxd, our / xxd, conv / xxd, peak, inout, peak / inout, f[8] / 1024,
               goals
      }
    }'
  awk -v s="$xxd_own_s" -v b="$xxd_own_bytes" -v eq="$listing_bytes" 'BEGIN {
    printf "reference: xxd -r -p on its own -p form (%.1f MiB): %.3f s, %.1f MB/s of its input,\n",
           b / 1048576, s, b / s / 1e6
    printf "           or %.1f MB/s counted on the equivalent %.1f MiB of our listing\n",
           eq / s / 1e6, eq / 1048576 }'
  echo "goals: throughput ratio (process) >= 3x xxd; our peak <= 1.2 x (input + output)"
}
register_section conversion "Conversions in memory: conversion_bench vs xxd on $((BENCH_BYTES >> 20)) MiB"

# ---------------------------------------------------------------------------------------------
# (Further sections go here, above main.)

main() {
  local chosen=("$@")
  ((${#chosen[@]} > 0)) || chosen=("${SECTIONS[@]}")
  local name
  for name in "${chosen[@]}"; do
    if [[ -z ${SECTION_TITLES[$name]+set} ]]; then
      echo "run.sh: no section '$name' (sections: ${SECTIONS[*]})" >&2
      exit 2
    fi
  done
  for name in "${chosen[@]}"; do "section_$name"; done
}

main "$@"
