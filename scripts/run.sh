#!/bin/sh
# Builds Brenvale for this Linux machine and starts it, installing what the build needs first.
#   run.sh               brenvale, the window program (needs a display)
#   run.sh REMOTE LOCAL  brenvale-sync, the terminal program, with these arguments (see --help)
set -eu
cd "$(dirname "$0")/.."
if [ $# -eq 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run: no display to show the window on; ./scripts/run.sh REMOTE LOCAL runs brenvale-sync, the terminal program, instead" >&2
    exit 1
fi
./scripts/install-deps.sh build >&2
cmake --preset linux >/dev/null
if [ $# -eq 0 ]; then
    cmake --build --preset linux --target brenvale >/dev/null
    exec ./build/linux/ui/qt/brenvale
fi
cmake --build --preset linux --target brenvale-sync >/dev/null
exec ./build/linux/app/brenvale-sync "$@"
