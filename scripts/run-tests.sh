#!/bin/sh
# Builds and runs every test of Brenvale: native Linux, Linux with AddressSanitizer and
# UndefinedBehaviorSanitizer, and the Windows build under Wine. Installs what is missing first.
# Ends non-zero when any build or test fails; the last lines are each run's ctest summary.
set -u
cd "$(dirname "$0")/.."

./scripts/install-deps.sh test || exit 1

presets="linux linux-asan linux-tsan windows"

# The Windows window tests need a display: Wine draws on an X server of their own.
run_ctest() {
    if [ "$1" = windows ]; then
        xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset "$1"
    else
        ctest --preset "$1"
    fi
}
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
status=0

for preset in $presets; do
    echo "=== $preset: configure and build"
    if cmake --preset "$preset" >"$logs/$preset.configure" 2>&1 && cmake --build --preset "$preset"; then
        echo "=== $preset: test"
        run_ctest "$preset" 2>&1 | tee "$logs/$preset.test"
        # tee hides ctest's status; the summary line tells whether everything passed.
        grep -q '^100% tests passed' "$logs/$preset.test" || status=1
    else
        cat "$logs/$preset.configure"
        echo "$preset: build failed" >"$logs/$preset.test"
        status=1
    fi
done

echo
echo "=== summary"
for preset in $presets; do
    printf '%-12s %s\n' "$preset" "$(grep -E 'tests passed|build failed' "$logs/$preset.test" | tail -n 1)"
done
exit $status
