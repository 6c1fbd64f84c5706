#!/usr/bin/env bash
# vantor-cli's --format and --encoding under Wine: the text report in UTF-8 is the expected report
# (tests/wine/expected/specimen_tab.txt, written by hand in code page 932) converted by iconv, with the one
# accessible text that code page 932 lacks whole, the defaults
# and their explicit forms give the code page 932 bytes unchanged, a message naming a window title is UTF-8
# with --encoding utf-8 and code page 932 without, and every bad combination is refused with exit code 2
# and a reason.
#   cli_encoding_test.sh HARNESS BUILD_DIR CLI_EXE SPECIMEN_EXE EXPECTED_DIR
set -u
harness=$1
build_dir=$2
cli_exe=$3
specimen=$4
expected=$5

# shellcheck source=tests/wine/test_common.sh
. "$(dirname "$0")/test_common.sh"

join_wine_environment

work=$build_dir/cli-encoding-test
rm -rf "$work"
mkdir -p "$work/cli"
cp "$cli_exe" "$work/cli/vantor-cli.exe"
cp "$(dirname "$cli_exe")/msghook.dll" "$work/cli/msghook.dll"
cli=$work/cli/vantor-cli.exe

title='CLI UTF-8 標本'
wine "$specimen" --title "$title" </dev/null >/dev/null 2>&1 &
specimen_pid=$!
trap 'kill $specimen_pid 2>/dev/null; wait $specimen_pid 2>/dev/null' EXIT
wait_for_window "$title"

run_cli() {
    local name=$1
    shift
    wine "$cli" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.err"
    rc=$?
}

expect_same() {
    if ! cmp -s "$1" "$2"; then
        fail "$3: differs from the expected bytes"
        diff <(od -c "$1" | head -n 20) <(od -c "$2" | head -n 20) | head -n 20
    fi
}

# The hand-written report with this run's title, in code page 932 and converted to UTF-8.
iconv -f CP932 -t UTF-8 "$expected/specimen_tab.txt" | sed "s/^\"CLI 標本\" VantorSpecimen/\"$title\" VantorSpecimen/" |
    tee "$work/expected-utf8.txt" | iconv -f UTF-8 -t CP932 >"$work/expected-cp932.txt"

# In UTF-8 the self-drawn control's accessible item outside code page 932 is whole ("??" in code page 932).
sed 's/^  + 笑顔 ??\r$/  + 笑顔 😀\r/' "$work/expected-utf8.txt" >"$work/expected-utf8-whole.txt"
cmp -s "$work/expected-utf8.txt" "$work/expected-utf8-whole.txt" && fail "the expected report has no accessible item \"笑顔 ??\""
run_cli utf8 capture --title "$title" --encoding utf-8
[ "$rc" -eq 0 ] || fail "capture --encoding utf-8: exit code $rc ($(head -c 300 "$work/utf8.err"))"
expect_same "$work/utf8.out" "$work/expected-utf8-whole.txt" "capture --encoding utf-8"
for options in "--encoding cp932" "--format text" "--format text --encoding cp932"; do
    read -r -a words <<<"$options"
    run_cli cp932 capture "${words[@]}" --title "$title"
    [ "$rc" -eq 0 ] || fail "capture $options: exit code $rc"
    expect_same "$work/cp932.out" "$work/expected-cp932.txt" "capture $options"
done

# A message that names a window: UTF-8 with --encoding utf-8, code page 932 by default (stderr is in text
# mode: its line ends are CR LF).
missing="無い窓 $$"
printf 'vantor-cli: no top-level window has the title "%s"\r\n' "$missing" >"$work/missing-utf8.txt"
iconv -f UTF-8 -t CP932 "$work/missing-utf8.txt" >"$work/missing-cp932.txt"
run_cli missing capture --title "$missing" --encoding utf-8
[ "$rc" -eq 1 ] || fail "capture of a missing window with --encoding utf-8: exit code $rc"
expect_same "$work/missing.err" "$work/missing-utf8.txt" "the message on stderr with --encoding utf-8"
run_cli missing capture --title "$missing"
[ "$rc" -eq 1 ] || fail "capture of a missing window: exit code $rc"
expect_same "$work/missing.err" "$work/missing-cp932.txt" "the message on stderr by default"

# Bad values and combinations: exit code 2, the reason on stderr, nothing on stdout.
bad=(
    "--format json --encoding cp932|always UTF-8"
    "--encoding cp932 --format csv|always UTF-8"
    "--format xml|--format takes text, json or csv"
    "--encoding latin1|--encoding takes cp932 or utf-8"
    "--format text --format json|--format is given twice"
    "--encoding utf-8 --encoding utf-8|--encoding is given twice"
    "--format|missing its value"
)
for entry in "${bad[@]}"; do
    options=${entry%%|*}
    reason=${entry#*|}
    read -r -a words <<<"$options"
    run_cli bad capture --title "$title" "${words[@]}"
    [ "$rc" -eq 2 ] || fail "capture $options: exit code $rc, expected 2"
    grep -q -F -- "$reason" "$work/bad.err" || fail "capture $options: stderr does not say \"$reason\""
    [ -s "$work/bad.out" ] && fail "capture $options wrote to stdout"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all vantor-cli --format / --encoding checks passed"
