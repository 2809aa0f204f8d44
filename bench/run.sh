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
# Section: the window under Wine: both buttons from click to final state against the fastest
# ways known to fill the same edit boxes, the per-byte method done to the letter, and start-up
# against a minimal window program.
#
# Settings (environment): WINDOW_SIZES (text sizes in bytes; default "1000 10000 100000"),
# WINDOW_BYTES (printable or any: the random text's bytes; default printable), WINDOW_LITERAL_BUDGET
# (seconds a run of the per-byte method may be expected to take before a size is skipped and
# extrapolated; default 60), WINDOW_STARTUP_RUNS (default 5), MINGW_BUILD_DIR (default
# build/mingw-x64, the preset's folder).
#
# Needs: cmake, mingw-w64, Wine, Xvfb (tools/install-deps.sh).

WINDOW_WINE_STARTED=0
window_cleanup() {
  if ((WINDOW_WINE_STARTED)); then
    vornelle_wine_stop || true
    WINDOW_WINE_STARTED=0
  fi
  if [[ -n $WORK && ${KEEP_DATA:-0} != 1 ]]; then rm -rf "$WORK"; fi
}

build_window_bench() {
  need_command cmake cmake
  (cd "$ROOT" && cmake --preset mingw-x64) >"$WORK/mingw-configure.log" 2>&1 ||
    { cat "$WORK/mingw-configure.log" >&2; exit 1; }
  (cd "$ROOT" && cmake --build --preset mingw-x64 -j2 --target window_bench minimal_window \
    minimal_window_comctl minimal_window_controls vornelle) \
    >"$WORK/mingw-build.log" 2>&1 || { cat "$WORK/mingw-build.log" >&2; exit 1; }
}

section_window() {
  work_dir
  trap window_cleanup EXIT
  trap 'exit 130' INT TERM
  build_window_bench
  local build=${MINGW_BUILD_DIR:-$ROOT/build/mingw-x64}
  local bench=$build/bench/window/window_bench.exe
  local program=$build/window/vornelle.exe minimal=$build/bench/window/minimal_window.exe
  local minimal_comctl=$build/bench/window/minimal_window_comctl.exe
  local minimal_controls=$build/bench/window/minimal_window_controls.exe
  local sizes=${WINDOW_SIZES:-1000 10000 100000}
  local figures=$WORK/window.figures
  # shellcheck source=../tools/wine-env.sh
  source "$ROOT/tools/wine-env.sh"
  local load_before load_after
  load_before=$(uptime | sed 's/.*load average: //')
  vornelle_wine_start || { echo "run.sh: Wine did not start" >&2; exit 1; }
  WINDOW_WINE_STARTED=1
  # shellcheck disable=SC2086  # the sizes are separate arguments
  "$ROOT/tools/wine-run.sh" "$bench" boxes --bytes "${WINDOW_BYTES:-printable}" \
    --literal-budget "${WINDOW_LITERAL_BUDGET:-60}" $sizes >"$figures" 2>"$WORK/window.stderr" ||
    { cat "$WORK/window.stderr" >&2; exit 1; }
  "$ROOT/tools/wine-run.sh" "$bench" startup "${WINDOW_STARTUP_RUNS:-5}" \
    vornelle "$(winepath_of "$program")" VornelleMainWindow \
    minimal "$(winepath_of "$minimal")" VornelleMinimalWindow \
    minimal_comctl "$(winepath_of "$minimal_comctl")" VornelleMinimalWindow \
    minimal_controls "$(winepath_of "$minimal_controls")" VornelleMinimalWindow >>"$figures" 2>>"$WORK/window.stderr" ||
    { cat "$WORK/window.stderr" >&2; exit 1; }
  load_after=$(uptime | sed 's/.*load average: //')
  vornelle_wine_stop || true
  WINDOW_WINE_STARTED=0
  trap - INT TERM
  if [[ ${KEEP_DATA:-0} == 1 ]]; then trap - EXIT; else trap 'rm -rf "$WORK"' EXIT; fi

  echo
  echo "== ${SECTION_TITLES[window]}"
  echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) CPUs;" \
    "$("${VORNELLE_WINE:-wine}" --version 2>/dev/null || echo Wine), Xvfb, virtual desktop"
  echo "load average (1, 5, 15 min): before $load_before; after $load_after"
  awk -v sizes="$sizes" '
    { sub(/\r$/, "") }  # Wine may end the lines with CR LF
    $1 == "fig" { v[$2] = $3; r[$2] = $4; md[$2] = $5 }
    $1 == "check" { k = $2; $1 = ""; $2 = ""; sub(/^ +/, ""); chk[k] = $0 }
    $1 == "info" { k = $2; $1 = ""; $2 = ""; sub(/^ +/, ""); inf[k] = $0 }
    function t(s) { return s >= 1 ? sprintf("%.3f s", s) : sprintf("%.2f ms", s * 1000) }
    function cell(key) { return (key in v) ? t(v[key]) " x" r[key] : "-" }
    function tm(s) { return s >= 1 ? sprintf("%.3f", s) : sprintf("%.2f", s * 1000) }
    function cellm(key) {  # best, median, runs
      if (!(key in v)) return "-"
      return r[key] == 1 ? t(v[key]) " x1" : tm(v[key]) "|" t(md[key]) " x" r[key]
    }
    function row(label, a, goal) {
      line = sprintf("%-40s", label)
      for (i = 1; i <= ns; i++) line = line sprintf(" | %23s", a[i])
      printf "%s | %s\n", line, goal
    }
    END {
      ns = split(sizes, sz, " ")
      chunks = "1 2 3 4 8 16"; nc = split(chunks, ch, " ")
      for (i = 1; i <= ns; i++) hdr[i] = sz[i] " bytes"
      printf "bytes: %s (ANSI code page %s); a listing is 3 bytes a byte, one paragraph.\n",
             inf["bytes"], inf["acp"]
      print "Cells: best|median wall clock of the runs; \"x11\" = 11 runs (11 under 50 ms, 5 under 0.2 s,"
      print "3 up to 10 s, else 1). Ratios: on the best|on the median."
      row("", hdr, "goal")
      sep = "----------------------------------------"; for (i = 1; i <= ns; i++) sep = sep "-+-------------------------"
      print sep "-+------"
      # TextToHex
      for (i = 1; i <= ns; i++) a[i] = cellm("t2h.ours." sz[i]); row("TextToHex ours: BM_CLICK button 1", a, "")
      for (i = 1; i <= ns; i++) a[i] = cellm("floor.set." sz[i]); row("floor: one SetWindowTextA", a, "")
      for (c = 1; c <= nc; c++) {
        for (i = 1; i <= ns; i++) a[i] = cellm("floor.append" ch[c] "k." sz[i])
        row(sprintf("floor: appends of %d KB + 1 scroll", ch[c]), a, "")
      }
      met1 = 1; met1m = 1
      for (i = 1; i <= ns; i++) {
        n = sz[i]; best = ""; which = ""; bestm = ""; whichm = ""
        if (("floor.set." n) in v) {
          best = v["floor.set." n]; which = "set"; bestm = md["floor.set." n]; whichm = "set"
        }
        for (c = 1; c <= nc; c++) {
          k = "floor.append" ch[c] "k." n
          if ((k in v) && (best == "" || v[k] < best)) { best = v[k]; which = ch[c] "K" }
          if ((k in v) && (bestm == "" || md[k] < bestm)) { bestm = md[k]; whichm = ch[c] "K" }
        }
        a[i] = best == "" ? "-" : tm(best) " " which "|" t(bestm) " " whichm
        q = v["t2h.ours." n] / best; qm = md["t2h.ours." n] / bestm
        qa[i] = sprintf("%.2f|%.2f", q, qm)
        if (q > 1.1) met1 = 0
        if (qm > 1.1) met1m = 0
      }
      row("floor = fastest of them", a, "")
      row("ours / floor", qa, "<= 1.1 best " (met1 ? "met" : "MISSED") ", median " (met1m ? "met" : "MISSED"))
      # The per-byte method: measured sizes, the rest from the largest measured by n^2.
      lm = 0
      for (i = 1; i <= ns; i++) if (("literal." sz[i]) in v) lm = i
      for (i = 1; i <= ns; i++) {
        n = sz[i]
        if (("literal." n) in v) { lit[i] = v["literal." n]; a[i] = cellm("literal." n) }
        else if (lm) { lit[i] = v["literal." sz[lm]] * (n / sz[lm]) ^ 2; a[i] = "~" t(lit[i]) " (n^2)" }
        else { lit[i] = ""; a[i] = "-" }
        qa[i] = lit[i] == "" ? "-" : sprintf("%s%.0f", (("literal." n) in v) ? "" : "~", lit[i] / v["t2h.ours." n])
      }
      row("literal per-byte method (TextToHex)", a, "")
      goal2 = lit[ns] != "" && lit[ns] / v["t2h.ours." sz[ns]] >= 100
      row("literal / ours", qa, ">= 100 at " sz[ns] " " (goal2 ? "met" : "MISSED"))
      # Where the click goes.
      for (i = 1; i <= ns; i++) a[i] = cellm("part.handler." sz[i]); row("  part: handler, appends gathered", a, "")
      for (i = 1; i <= ns; i++) a[i] = cellm("part.flush." sz[i]); row("  part: flush, 3 KB pieces + scroll", a, "")
      for (i = 1; i <= ns; i++) a[i] = cellm("floor.append3k." sz[i] ".scroll"); row("  part: EM_SCROLLCARET (3 KB floor)", a, "")
      for (i = 1; i <= ns; i++) a[i] = cellm("part.read1." sz[i]); row("  part: read edit box 1 back", a, "")
      for (i = 1; i <= ns; i++) a[i] = cellm("part.dbcsscan." sz[i]); row("  part: lead-byte scan of the listing", a, "")
      for (i = 1; i <= ns; i++) a[i] = i == 1 ? cellm("click.t2h.empty") : ""; row("  part: click, edit box 1 empty", a, "")
      print sep "-+------"
      met3 = 1; met3m = 1
      for (i = 1; i <= ns; i++) a[i] = cellm("h2t.ours." sz[i]); row("HexToText ours: BM_CLICK button 2", a, "")
      for (i = 1; i <= ns; i++) a[i] = cellm("h2t.set." sz[i]); row("one SetWindowTextA of its result", a, "")
      for (i = 1; i <= ns; i++) {
        q = v["h2t.ours." sz[i]] / v["h2t.set." sz[i]]; qm = md["h2t.ours." sz[i]] / md["h2t.set." sz[i]]
        qa[i] = sprintf("%.2f|%.2f", q, qm); if (q > 1.1) met3 = 0; if (qm > 1.1) met3m = 0
      }
      row("HexToText ours / SetWindowTextA", qa, "<= 1.1 best " (met3 ? "met" : "MISSED") ", median " (met3m ? "met" : "MISSED"))
      for (i = 1; i <= ns; i++) a[i] = i == 1 ? cellm("click.h2t.empty") : ""; row("  part: click, edit box 2 empty", a, "")
      print sep "-+------"
      h[1] = "best"; h[2] = "median"; h[3] = "WM_CLOSE to exit"; for (i = 4; i <= ns; i++) h[i] = ""
      row("start-up: process start to visible", h, "")
      split("vornelle minimal minimal_comctl minimal_controls", pn, " ")
      label["vornelle"] = "vornelle.exe"; label["minimal"] = "minimal_window.exe"
      label["minimal_comctl"] = "  minimal + comctl32 loaded, inited"
      label["minimal_controls"] = "  minimal + comctl32 + 6 plain controls"
      for (p = 1; p <= 4; p++) {
        b[1] = cell("startup." pn[p] ".best"); b[2] = cell("startup." pn[p] ".median")
        b[3] = cell("startup." pn[p] ".close"); for (i = 4; i <= ns; i++) b[i] = ""
        row(label[pn[p]], b, "")
      }
      qb = v["startup.vornelle.best"] / v["startup.minimal.best"]
      qm = v["startup.vornelle.median"] / v["startup.minimal.median"]
      b[1] = sprintf("%.2f", qb); b[2] = sprintf("%.2f", qm); b[3] = ""
      row("vornelle / minimal", b, "<= 1.2 best " (qb <= 1.2 ? "met" : "MISSED") ", median " (qm <= 1.2 ? "met" : "MISSED"))
      b[1] = cell("part.build"); b[2] = ""; b[3] = ""
      row("  part: window_bench MainWindow.Build", b, "")
      b[1] = cell("part.created"); row("  part: created handler", b, "")
      b[1] = cell("part.show"); row("  part: MainWindow.Show", b, "")
      b[1] = cell("part.firstpump"); row("  part: first messages after Show", b, "")
      failed = ""
      for (k in chk) if (chk[k] != "ok") failed = failed "\n  " k ": " chk[k]
      for (k in inf) if (k ~ /^literal\.skipped/) skipped = skipped " " substr(k, 17) " (" inf[k] ")"
      print "final states verified after the timed runs (listing exact, caret at its end; texts exact): " \
            (failed == "" ? "all ok" : "FAILED" failed)
      if (skipped != "") print "literal method not run at:" skipped "; \"~\" = extrapolated by n^2 from " sz[lm] " bytes"
      print "start-up runs (s): vornelle " inf["startup.vornelle.all"] "; minimal " inf["startup.minimal.all"] \
            "; minimal + comctl32 " inf["startup.minimal_comctl.all"] \
            "; minimal + controls " inf["startup.minimal_controls.all"]
      print "floor: one SetWindowTextA leaves the caret at 0, the appends leave it at the end as ours does."
      print "goals (on the best): ours/floor <= 1.1 at every size: " (met1 ? "met" : "MISSED") \
            " (median " (met1m ? "met" : "MISSED") ")" \
            "; literal/ours >= 100 at " sz[ns] ": " (goal2 ? "met" : "MISSED") \
            "; HexToText <= 1.1: " (met3 ? "met" : "MISSED") " (median " (met3m ? "met" : "MISSED") ")" \
            "; start-up <= 1.2: " (qb <= 1.2 ? "met" : "MISSED") " (median " (qm <= 1.2 ? "met" : "MISSED") ")"
    }' "$figures"
}
register_section window "Window under Wine: buttons from click to final state, and start-up"

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
