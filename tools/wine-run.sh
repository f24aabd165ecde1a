#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly, in the build's own Wine prefix
# (WINEPREFIX, set by tools/test.sh; a default one otherwise).
export WINEDEBUG=-all
exec wine "$@"
