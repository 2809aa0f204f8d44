#!/usr/bin/env bash
# Runs a Windows executable under Wine for CTest. tools/run-tests.sh provides WINEPREFIX and
# DISPLAY; run on its own, this makes a throw-away prefix and removes it afterwards.
set -u
wine=${VORNELLE_WINE:-}
if [ -z "$wine" ]; then
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64)" "$(command -v wine)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine=$candidate; break; fi
  done
fi
[ -n "$wine" ] || { echo "wine-run.sh: no Wine found" >&2; exit 127; }
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
own_prefix=
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix=$(mktemp -d)
  export WINEPREFIX=$own_prefix
fi
env LC_ALL="${VORNELLE_LC_ALL:-zh_CN.UTF-8}" "$wine" "$@"
rc=$?
if [ -n "$own_prefix" ]; then
  wineserver -k >/dev/null 2>&1
  rm -rf "$own_prefix"
fi
exit $rc
