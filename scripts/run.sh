#!/bin/sh
# Builds Brenvale for this Linux machine and starts it: brenvale-sync, the terminal program,
# with the arguments given (see --help). Installs what the build needs first.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh build >&2
cmake --preset linux >/dev/null
cmake --build --preset linux --target brenvale-sync >/dev/null
exec ./build/linux/app/brenvale-sync "$@"
