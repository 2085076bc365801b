#!/bin/sh
# Runs a Windows program under Wine as a Chinese Windows system would: ANSI code page 936 (GBK).
# usage: run-under-wine.sh WINE PREFIX PROGRAM [ARGS...]
# The prefix belongs to the build folder; the first run creates it, under a lock so that parallel
# test runs do not race.
set -eu
wine=$1
prefix=$2
shift 2
export WINEPREFIX="$prefix" WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer prompts
mkdir -p "$prefix"
(
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
        "$wine" wineboot --init >/dev/null 2>&1 || true
        wineserver -w 2>/dev/null || true
    fi
) 9>"$prefix.lock"
exec "$wine" "$@"
