#!/usr/bin/env bash
# Builds everything and runs every test: the conversions natively (plain and with sanitizers),
# the 32-bit Windows build (compiled only: no 32-bit Wine here), the 64-bit Windows build with its
# window tests under Wine on a virtual display, and a bounded fuzzing run.
set -u
cd "$(dirname "$0")/.."
bash tools/install-deps.sh || exit 1
jobs=$(nproc)
failed=()
passed=0
step() {  # step NAME COMMAND...
  local name=$1
  shift
  echo "==== $name"
  local start=$SECONDS
  if "$@"; then
    echo "==== $name: ok ($((SECONDS - start)) s)"
    passed=$((passed + 1))
  else
    echo "==== $name: FAILED ($((SECONDS - start)) s)"
    failed+=("$name")
  fi
}
build() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j"$jobs"; }

step "native build" build native
step "native tests" ctest --preset native
step "sanitizer build" build native-sanitize
step "sanitizer tests" ctest --preset native-sanitize
step "x86 Windows build" build mingw-x86
step "x64 Windows build" build mingw-x64

source tools/wine-env.sh
trap vornelle_wine_stop EXIT
windows_tests() {  # windows_tests LC_ALL CODE_PAGE [ctest arguments]
  local locale=$1 code_page=$2
  shift 2
  export VORNELLE_LC_ALL=$locale
  vornelle_wine_start || return 1
  local rc=0
  VORNELLE_EXPECT_ACP=$code_page ctest --preset mingw-x64 "$@" || rc=1
  vornelle_wine_stop
  return $rc
}
step "x64 Windows tests (Wine, code page 936)" windows_tests zh_CN.UTF-8 936
step "x64 Windows tests (Wine, code page 1252)" windows_tests en_US.UTF-8 1252
if [ -f fuzz/run.sh ]; then
  step "fuzzing" bash fuzz/run.sh "${VORNELLE_FUZZ_SECONDS:-60}"
fi

echo
[ ${#failed[@]} -eq 0 ] || echo "failed steps: ${failed[*]}"
echo "steps: $passed passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
