#!/usr/bin/env bash
# Black-box tests of brenvale-sync on small trees: exit statuses, output lines, refused runs that
# touch nothing, and (natively) Ctrl-C once and twice.
# usage: sync_cli_test.sh native PROGRAM
#        sync_cli_test.sh wine PROGRAM.exe RUNNER...   (RUNNER runs a Windows program under Wine)
set -u
mode=$1
program=$2
shift 2
runner=("$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# Texts as the program writes them: UTF-8 natively, GBK from the Windows build into a pipe.
text() { if [ "$mode" = wine ]; then printf '%s' "$1" | iconv -f UTF-8 -t GBK; else printf '%s' "$1"; fi; }
path() { if [ "$mode" = wine ]; then winepath -w "$1" 2>/dev/null; else printf '%s' "$1"; fi; }
run() { "${runner[@]}" "$program" "$@"; }

pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
expect_status() { # name expected actual
    if [ "$2" = "$3" ]; then pass "$1: exit $3"; else fail "$1: exit $3, expected $2"; fi
}
expect_last_line() { # name file text
    local last
    last=$(tail -n 1 "$2")
    if [ "$last" = "$(text "$3")" ]; then pass "$1: last line"; else fail "$1: last line is '$last'"; fi
}
expect_same_trees() { # name a b
    if diff -r "$2" "$3" >/dev/null; then pass "$1: trees equal"; else fail "$1: trees differ"; fi
}

make_tree() { # dir: a small tree with nested directories and an empty one
    mkdir -p "$1/sub/deeper" "$1/empty" "$1/数据"
    printf 'alpha' >"$1/a.txt"
    printf 'beta beta' >"$1/sub/b.txt"
    printf '' >"$1/sub/deeper/empty file"
    printf '备份' >"$1/数据/备份.txt"
}

out=$work/out
err=$work/err

# --help and --version
run --help >"$out" 2>"$err"
expect_status "help" 0 $?
grep -q 'brenvale-sync' "$out" && pass "help: usage shown" || fail "help: no usage"
run --version >"$out" 2>"$err"
expect_status "version" 0 $?
grep -q '^brenvale-sync [0-9]' "$out" && pass "version: shown" || fail "version: '$(cat "$out")'"

# Bad arguments are refused
for args in "" "only-one" "--bogus a b" "a b c"; do
    # shellcheck disable=SC2086
    run $args >"$out" 2>"$err"
    expect_status "arguments '$args'" 2 $?
    [ "$(wc -l <"$err")" -eq 1 ] && pass "arguments '$args': one-line reason" || fail "arguments '$args': stderr '$(cat "$err")'"
done

# A clean run, then a no-op run
make_tree "$work/remote"
run "$(path "$work/remote")" "$(path "$work/local")" >"$out" 2>"$err"
expect_status "first run" 0 $?
expect_same_trees "first run" "$work/remote" "$work/local"
# Every line before the end text is a status text the display showed: the first status, or the
# local directory a file is being copied into.
odd=$(head -n -1 "$out" | grep -v -x -F "$(text '正在计算更新...')" | grep -v -F "$(path "$work/local")")
[ -z "$odd" ] && pass "first run: status lines" || fail "first run: unexpected lines '$odd'"
expect_last_line "first run" "$out" "文件同步完成!"
if grep -q $'[\r\x1b]' "$out" "$err"; then fail "first run: control characters in the output"; else pass "first run: plain lines"; fi
[ -s "$err" ] && fail "first run: stderr '$(cat "$err")'" || pass "first run: nothing on stderr"
run --quiet "$(path "$work/remote")" "$(path "$work/local")" >"$out" 2>"$err"
expect_status "quiet no-op run" 0 $?
[ -s "$out" ] || [ -s "$err" ] && fail "quiet no-op run: printed something" || pass "quiet no-op run: silent"

# Refused runs touch nothing
tree_listing() { (cd "$work" && find remote local -printf '%p %s\n' | sort); }
before=$(tree_listing)
run "$(path "$work/remote")" "$(path "$work/remote/sub")" >"$out" 2>"$err"
expect_status "overlap" 2 $?
expect_last_line "overlap" "$err" "brenvale-sync: 远程目录和本地目录不能相同或互相包含！"
run "$(path "$work/no remote")" "$(path "$work/new local")" >"$out" 2>"$err"
expect_status "remote missing" 2 $?
expect_last_line "remote missing" "$err" "brenvale-sync: 远程目录无法访问，未做任何更改!"
[ "$before" = "$(tree_listing)" ] && pass "refused runs: nothing touched" || fail "refused runs: the trees changed"
[ -e "$work/new local" ] && fail "remote missing: the local directory was made" || pass "remote missing: no local directory"

# A run with a file that cannot be synced ends with 1 and says how many
mkdir -p "$work/r2" "$work/l2/blocked"
printf 'x' >"$work/r2/blocked"
printf 'y' >"$work/r2/missing"
printf '' >"$work/l2/blocked/.keep"
run "$(path "$work/r2")" "$(path "$work/l2")" >"$out" 2>"$err"
expect_status "failure" 1 $?
expect_last_line "failure" "$err" "同步结束，有 1 个文件未能同步!"

if [ "$mode" = native ]; then
    # Ctrl-C: a tree big enough to be interrupted after its first copy line
    big=$work/big
    for d in $(seq 1 20); do
        mkdir -p "$big/d$d"
        for f in $(seq 1 400); do printf '%*s' $((f * 10)) '' >"$big/d$d/f$f"; done
    done
    interrupt() { # name local signals...
        local name=$1 local_dir=$2
        shift 2
        "$program" "$big" "$local_dir" >"$out" 2>"$err" &
        local pid=$!
        for _ in $(seq 1 500); do grep -q "$local_dir" "$out" 2>/dev/null && break; sleep 0.01; done
        for signal in "$@"; do kill -"$signal" "$pid" 2>/dev/null; done
        wait "$pid"
        return $?
    }
    interrupt "one Ctrl-C" "$work/stopped" INT
    expect_status "one Ctrl-C" 1 $?
    expect_last_line "one Ctrl-C" "$err" "同步已停止，部分文件未同步!"

    interrupt "two Ctrl-C" "$work/killed" INT TERM # two of one kind may arrive as one
    expect_status "two Ctrl-C" 130 $?
    half=0
    while IFS= read -r -d '' file; do
        relative=${file#"$work/killed/"}
        case "$(basename "$file")" in "~brenvale-"*) continue ;; esac
        cmp -s "$file" "$big/$relative" || half=$((half + 1))
    done < <(find "$work/killed" -type f -print0)
    [ "$half" -eq 0 ] && pass "two Ctrl-C: no half-written file" || fail "two Ctrl-C: $half files differ"
    "$program" --quiet "$big" "$work/killed" && pass "two Ctrl-C: next run converges" || fail "two Ctrl-C: next run failed"
    expect_same_trees "two Ctrl-C, next run" "$big" "$work/killed"
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
