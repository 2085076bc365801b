#!/usr/bin/env bash
# Times brenvale-sync against rsync and cp on trees from make-tree, several runs each, median
# reported, on a warm cache, and checks after every timed run that the local tree equals the
# remote one. Prints one table of medians and ratios.
# usage: bench/run-benchmarks.sh [--runs N] [--files N] [--dirs N] [--work DIR]
# Needs rsync, python3 (for make-tree) and util-linux's script (for the pseudo-terminal run).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=5 files=20000 dirs=2000 work=${TMPDIR:-/tmp}/brenvale-bench
make_tree=${MAKE_TREE:-../shared/bench/make-tree}
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    --dirs) dirs=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "usage: $0 [--runs N] [--files N] [--dirs N] [--work DIR]" >&2; exit 2 ;;
    esac
done
for tool in rsync python3 script; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is needed" >&2; exit 2; }
done

cmake --preset linux >/dev/null
cmake --build --preset linux --target brenvale-sync bench_window_run >/dev/null
sync_program=$PWD/build/linux/app/brenvale-sync
window_program=$PWD/build/linux/bench/bench_window_run
# The window draws on an Xvfb display of the benchmark's own (Qt's offscreen platform without Xvfb).
window_display=""
if command -v Xvfb >/dev/null; then
    for n in $(seq 90 99); do [ -e "/tmp/.X11-unix/X$n" ] || { window_display=":$n"; break; }; done
    Xvfb "$window_display" -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null' EXIT
    sleep 1
    window_env="DISPLAY=$window_display"
else
    window_env="QT_QPA_PLATFORM=offscreen"
fi

src=$work/src big=$work/big dst=$work/dst
mkdir -p "$work"
if [ ! -f "$work/.made-$files-$dirs" ]; then
    rm -rf "$src" "$big"
    "$make_tree" "$src" --files "$files" --dirs "$dirs"
    "$make_tree" "$big" --files 0 --dirs 0 --big 4 --big-size $((256 << 20))
    touch "$work/.made-$files-$dirs"
fi
cat_tree() { find "$1" -type f -exec cat {} + >/dev/null; } # warms the cache
cat_tree "$src"
cat_tree "$big"

now() { date +%s.%N; }
median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
verify() { # remote local
    diff -r "$1" "$2" >/dev/null || { echo "bench: $2 does not equal $1 after a timed run" >&2; exit 1; }
}

# time_runs NAME PREPARE COMMAND REMOTE: median seconds of COMMAND, PREPARE run untimed before each.
time_runs() {
    local name=$1 prepare=$2 command=$3 remote=$4 times=() start end
    for _ in $(seq 1 "$runs"); do
        eval "$prepare"
        sync -f "$work" 2>/dev/null || true
        start=$(now)
        eval "$command" >/dev/null 2>&1 || { echo "bench: '$name' failed" >&2; exit 1; }
        end=$(now)
        verify "$remote" "$dst"
        times+=("$(echo "$end - $start" | bc -l)")
    done
    printf '%s\n' "${times[@]}" | median
}

fresh='rm -rf "$dst"'
fresh_empty='rm -rf "$dst"; mkdir -p "$dst"'
ours="\"$sync_program\" --quiet \"\$remote\" \"\$dst\""
theirs='rsync -r --delete --size-only "$remote/" "$dst/"'
copy='cp -r "$remote" "$dst"'
# The live status line on a pseudo-terminal, as a user at a terminal sees it.
ours_live="script -qfec \"'$sync_program' '\$remote' '\$dst'\" /dev/null"
# The Qt window, from its start to the end text of the run.
ours_window="env $window_env \"$window_program\" \"\$remote\" \"\$dst\""
mutate='i=0; while IFS= read -r f; do i=$((i + 1)); case $((i % 100)) in 0) printf x >>"$f" ;; 50) rm -f "$f" ;; esac; done < <(find "$dst" -type f | sort)'
equal='[ -d "$dst" ] || cp -r "$remote" "$dst"'

echo "benchmark: $files files in $dirs directories ($(du -sh "$src" | cut -f1)), 4 x 256 MiB; $runs runs each, median"
remote=$src
t_init_ours=$(time_runs "initial, brenvale-sync" "$fresh" "$ours" "$src")
t_init_rsync=$(time_runs "initial, rsync" "$fresh_empty" "$theirs" "$src")
t_init_cp=$(time_runs "initial, cp" "$fresh" "$copy" "$src")
t_noop_ours=$(time_runs "no-op, brenvale-sync" "$equal" "$ours" "$src")
t_noop_rsync=$(time_runs "no-op, rsync" "$equal" "$theirs" "$src")
t_change_ours=$(time_runs "1 % changed, brenvale-sync" "$equal; $mutate" "$ours" "$src")
t_change_rsync=$(time_runs "1 % changed, rsync" "$equal; $mutate" "$theirs" "$src")
t_live=$(time_runs "initial, live line" "$fresh" "$ours_live" "$src")
t_window=$(time_runs "initial, Qt window" "$fresh" "$ours_window" "$src")
remote=$big
t_big_ours=$(time_runs "large files, brenvale-sync" "$fresh" "$ours" "$big")
t_big_cp=$(time_runs "large files, cp" "$fresh" "$copy" "$big")
rm -rf "$dst"

mib=$(( (4 * 256) ))
ratio() { echo "scale=2; $1 / $2" | bc -l; }
printf '\n%-34s %10s %10s %10s  %-24s %s\n' "scenario" "brenvale" "rsync" "cp" "ratio" "target"
printf '%-34s %9.2fs %9.2fs %9.2fs  %-24s %s\n' "initial sync into an empty dir" "$t_init_ours" "$t_init_rsync" "$t_init_cp" \
    "$(ratio "$t_init_ours" "$t_init_cp") x cp" "<= 1.2 x cp"
printf '%-34s %9.2fs %9.2fs %10s  %-24s %s\n' "no-op resync" "$t_noop_ours" "$t_noop_rsync" "-" \
    "$(ratio "$t_noop_ours" "$t_noop_rsync") x rsync" "<= 1.0 x rsync"
printf '%-34s %9.2fs %9.2fs %10s  %-24s %s\n' "resync, 1 % changed + 1 % deleted" "$t_change_ours" "$t_change_rsync" "-" \
    "$(ratio "$t_change_ours" "$t_change_rsync") x rsync" "(no target)"
printf '%-34s %8.0fM/s %10s %8.0fM/s  %-24s %s\n' "large files, throughput" "$(echo "$mib / $t_big_ours" | bc -l)" "-" \
    "$(echo "$mib / $t_big_cp" | bc -l)" "$(ratio "$t_big_cp" "$t_big_ours") x cp" ">= 0.9 x cp"
printf '%-34s %9.2fs %10s %10s  %-24s %s\n' "display cost: live line vs quiet" "$t_live" "-" "-" \
    "$(ratio "$t_live" "$t_init_ours") x quiet" "<= 1.1 x quiet"
printf '%-34s %9.2fs %10s %10s  %-24s %s\n' "display cost: Qt window vs quiet" "$t_window" "-" "-" \
    "$(ratio "$t_window" "$t_init_ours") x quiet" "<= 1.1 x quiet"
