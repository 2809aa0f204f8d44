#!/usr/bin/env bash
# Builds the program and opens its window under Wine. With a display ($DISPLAY set), the window
# stays open until you close it. Without one, it opens on a virtual display, a screenshot is
# saved to build/screenshot.png, and the window is closed again (Alt+F4) after a few seconds.
set -u
cd "$(dirname "$0")/.."
bash tools/install-deps.sh || exit 1
cmake --preset mingw-x64 >/dev/null && cmake --build --preset mingw-x64 -j"$(nproc)" --target vornelle || exit 1
exe=build/mingw-x64/window/vornelle.exe
source tools/wine-env.sh
if [ -n "${DISPLAY:-}" ] && [ -z "${VORNELLE_HEADLESS:-}" ]; then
  export VORNELLE_USE_DISPLAY=1
fi
trap vornelle_wine_stop EXIT
vornelle_wine_start || exit 1
if [ -n "${VORNELLE_USE_DISPLAY:-}" ]; then
  tools/wine-run.sh "$exe"
  rc=$?
  echo "vornelle.exe ended with exit code $rc"
  exit $rc
fi
start=$(date +%s.%N)
tools/wine-run.sh "$exe" &
program=$!
for _ in $(seq 1 300); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Vornelle V1.0.2"' && break
  sleep 0.1
done
shown=$(date +%s.%N)
sleep 1
import -display "$DISPLAY" -window root build/screenshot.png
echo "window shown after $(python3 -c "print(round($shown - $start, 2))") s; screenshot: build/screenshot.png"
sleep "${VORNELLE_SHOW_SECONDS:-3}"
xdotool key --clearmodifiers alt+F4 2>/dev/null
for _ in $(seq 1 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program" 2>/dev/null; then
  echo "the window did not close; ending it"
  kill "$program"
fi
wait "$program"
rc=$?
echo "vornelle.exe ended with exit code $rc"
exit $rc
