# Sourced by the scripts that run Windows executables: a Wine prefix of its own in a temporary
# folder, a virtual X display of its own, and Wine's virtual desktop inside it (so that focus and
# activation work with no window manager). vornelle_wine_stop undoes exactly what start made.
#
#   source tools/wine-env.sh; vornelle_wine_start; ...; vornelle_wine_stop

vornelle_find_wine() {
  local candidate
  for candidate in /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)" "$(command -v wine 2>/dev/null)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then echo "$candidate"; return 0; fi
  done
  return 1
}

vornelle_wine_start() {
  VORNELLE_WINE=$(vornelle_find_wine) || { echo "no Wine found" >&2; return 1; }
  export VORNELLE_WINE
  VORNELLE_TMP=$(mktemp -d)
  export WINEPREFIX=$VORNELLE_TMP/prefix
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # Wine's ANSI code page follows LC_ALL; zh_CN gives code page 936 without a Unix locale.
  # tools/wine-run.sh hands it to Wine alone (the shell itself has no such locale).
  export VORNELLE_LC_ALL=${VORNELLE_LC_ALL:-zh_CN.UTF-8}
  VORNELLE_XVFB_PID=
  if [ -z "${VORNELLE_USE_DISPLAY:-}" ]; then
    local fifo=$VORNELLE_TMP/displayfd
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    VORNELLE_XVFB_PID=$!
    local number
    read -r -t 20 number <"$fifo" || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=:$number
  fi
  env LC_ALL="$VORNELLE_LC_ALL" "$VORNELLE_WINE" wineboot -i >/dev/null 2>&1
  cat >"$VORNELLE_TMP/desktop.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
REG
  "$VORNELLE_WINE" regedit /S "$(winepath_of "$VORNELLE_TMP/desktop.reg")" >/dev/null 2>&1
  # The desktop takes effect for the next session of the prefix.
  wineserver -w
  return 0
}

winepath_of() { echo "Z:${1//\//\\}"; }

vornelle_wine_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1; fi
  if [ -n "${VORNELLE_XVFB_PID:-}" ]; then
    kill "$VORNELLE_XVFB_PID" 2>/dev/null
    wait "$VORNELLE_XVFB_PID" 2>/dev/null
  fi
  [ -n "${VORNELLE_TMP:-}" ] && rm -rf "$VORNELLE_TMP"
  VORNELLE_XVFB_PID=
}
