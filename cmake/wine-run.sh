#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly, in a Wine prefix of its own:
# WINEPREFIX when set (tools/test_windows.sh sets one per run), else
# wine-prefix/ in the current build folder's top, found from CTest's working
# folder. The prefix is created once, with wineboot, under a lock so that
# parallel tests wait for it.
set -euo pipefail
export WINEDEBUG=-all
if [ -z "${WINEPREFIX:-}" ]; then
  top="$PWD"
  while [ "$top" != / ] && [ ! -f "$top/CMakeCache.txt" ]; do top="$(dirname "$top")"; done
  [ "$top" = / ] && top="$PWD"
  export WINEPREFIX="$top/wine-prefix"
fi
if [ ! -f "$WINEPREFIX/.morvel-ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.morvel-ready" ]; then
      WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1
      wineserver --wait
      touch "$WINEPREFIX/.morvel-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
