#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine, quietly, in the Wine
# prefix that tools/test.sh sets up (WINEPREFIX).
export WINEDEBUG=-all
exec wine "$@"
