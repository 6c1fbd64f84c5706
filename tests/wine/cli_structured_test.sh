#!/usr/bin/env bash
# vantor-cli's --format json and --format csv under Wine, against the specimen:
#   specimen.json  the whole document, parsed and compared member by member by json-match (nlohmann-json),
#                  window handles matched by their form; written from the specimen's contents
#                  (tools/specimen/specimen_contents.h), with what the text report drops: the one-byte and
#                  empty texts, the menu's separators and ids, the accessible texts whole (an emoji)
#   specimen.csv   the list view, list box and combo box tables, byte for byte once each table's handle is
#                  replaced by "<handle>"
#   specimen_unicode.json  the specimen's Unicode window (--unicode-window): its texts read wide, so that
#                  "café – naïve", Korean, simplified Chinese and an emoji come whole (the text report has "?")
#   specimen_unicode_utf8.txt  its text report with --encoding utf-8: the code page 932 report's lines, the
#                  texts whole, on both read paths
# The 32-bit specimen (SPECIMEN32_EXE, read through msghook32.dll and the 32-bit host beside vantor-cli, and
# across processes) gives specimen.json too: only the handles differ between the widths.
# watch: passes over a specimen that changes its status bar part 1 ("変化 N") every 300 ms, the status bar
# picked with --control, until the specimen exits (exit code 1); with --changes-only no two lines in a row
# are the same; Ctrl+C (a console event from console-ctrl.exe, which starts watch in a process group of its own)
# ends it with exit code 0 after whole lines, each of which came as it was written; bad option combinations
# are refused with exit code 2.
# The 32-bit specimen's Unicode window gives specimen_unicode.json and specimen_unicode_utf8.txt as well.
# Both read paths give the same document (inside the specimen, and --cross-process) but for the read path each
# section names, and the text report of the same run is unchanged by the structured output.
#   cli_structured_test.sh HARNESS BUILD_DIR CLI_EXE SPECIMEN_EXE JSON_MATCH_EXE EXPECTED_DIR CONSOLE_CTRL_EXE
#                          [SPECIMEN32_EXE]
set -u
harness=$1
build_dir=$2
cli_exe=$3
specimen=$4
json_match=$5
expected=$6
console_ctrl=$7
specimen32=${8:-}

# shellcheck source=tests/wine/test_common.sh
. "$(dirname "$0")/test_common.sh"

join_wine_environment

work=$build_dir/cli-structured-test
rm -rf "$work"
mkdir -p "$work/cli"
cp "$cli_exe" "$(dirname "$cli_exe")/msghook.dll" "$work/cli/"
# The 32-bit pieces as the release installs them, for the 32-bit specimen.
[ -n "$specimen32" ] && cp "$(dirname "$cli_exe")/msghook32.dll" "$(dirname "$cli_exe")/vantor-host32.exe" "$work/cli/"
cli=$work/cli/vantor-cli.exe

title='CLI 構造 標本'
wine "$specimen" --title "$title" --unicode-window </dev/null >/dev/null 2>&1 &
specimen_pid=$!
trap 'kill $specimen_pid 2>/dev/null; wait $specimen_pid 2>/dev/null' EXIT
unicode_title='Vantor Specimen Unicode'
wait_for_window "$title"
wait_for_window "$unicode_title"

run_cli() {
    local name=$1
    shift
    wine "$cli" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.err"
    rc=$?
    [ "$rc" -eq 0 ] || fail "capture $*: exit code $rc ($(head -c 300 "$work/$name.err"))"
}

# JSON on the bulk path, and across processes: list boxes and combo boxes then go by the messages the window
# system copies, list views and tree views by exchanges through the specimen's memory.
#   expect_document NAME TITLE EXPECTED_JSON WHAT
expect_document() {
    local name=$1 window=$2 wanted=$3 what=$4
    run_cli "$name" capture --title "$window" --format json
    wine "$json_match" "$wanted" "$work/$name.out" || fail "$what differs (above)"
    sed -e '/"kind": "\(list_box\|combo_box\)"/{n;s/"path": "bulk"/"path": "messages"/}' \
        -e 's/"path": "bulk"/"path": "cross_process"/' "$wanted" >"$work/expected-$name-cross.json"
    run_cli "$name-cross" capture --title "$window" --format json --cross-process
    wine "$json_match" "$work/expected-$name-cross.json" "$work/$name-cross.out" ||
        fail "$what read across processes differs (above)"
}
expect_document json "$title" "$expected/specimen.json" "the JSON document"
expect_document unicode "$unicode_title" "$expected/specimen_unicode.json" "the Unicode window's document"
if [ -n "$specimen32" ]; then
    title32="$title 32"
    wine "$specimen32" --title "$title32" </dev/null >/dev/null 2>&1 &
    specimen32_pid=$!
    wait_for_window "$title32" || fail "the 32-bit specimen did not show its window"
    sed "s/\"title\": \"$title\"/\"title\": \"$title32\"/" "$expected/specimen.json" >"$work/expected-32.json"
    expect_document json32 "$title32" "$work/expected-32.json" "the 32-bit specimen's document"
    kill "$specimen32_pid" 2>/dev/null
    wait "$specimen32_pid" 2>/dev/null
else
    echo "SKIP: no 32-bit specimen (the i686 compiler is missing)"
fi

# The Unicode window's text report in UTF-8, both read paths: its texts whole, byte for byte as written out
# in specimen_unicode_utf8.txt; the code page 932 report of the same window has the same lines.
for path in "" --cross-process; do
    run_cli unicode-text capture --title "$unicode_title" --encoding utf-8 $path
    cmp -s "$work/unicode-text.out" "$expected/specimen_unicode_utf8.txt" || {
        fail "the Unicode window's UTF-8 report ${path:-(bulk path)} differs from specimen_unicode_utf8.txt"
        diff "$expected/specimen_unicode_utf8.txt" "$work/unicode-text.out" | head -n 20
    }
done
run_cli unicode-cp932 capture --title "$unicode_title"
[ "$(wc -l <"$work/unicode-cp932.out")" -eq "$(wc -l <"$expected/specimen_unicode_utf8.txt")" ] ||
    fail "the Unicode window's code page 932 report does not have the UTF-8 report's lines"

# CSV, byte for byte.
run_cli csv capture --title "$title" --format csv
sed -E 's/^control,([a-z_]+),0x[0-9A-F]+,/control,\1,<handle>,/' "$work/csv.out" >"$work/csv-masked.out"
cmp -s "$work/csv-masked.out" "$expected/specimen.csv" || {
    fail "the CSV tables differ from $expected/specimen.csv"
    diff <(sed 's/\r/<CR>/g' "$expected/specimen.csv") <(sed 's/\r/<CR>/g' "$work/csv-masked.out") | head -n 20
}

# The text report is still the hand-written one with this run's title.
iconv -f CP932 -t UTF-8 "$expected/specimen_tab.txt" | sed "s/^\"CLI 標本\" VantorSpecimen/\"$title\" VantorSpecimen/" |
    iconv -f UTF-8 -t CP932 >"$work/expected-text.txt"
run_cli text capture --title "$title"
cmp -s "$work/text.out" "$work/expected-text.txt" || fail "the text report differs from specimen_tab.txt"

# The handle of the status bar (control id 1014) of the specimen with title $1, from its document's window tree.
status_bar_of() {
    wine "$cli" capture --title "$1" --format json </dev/null 2>/dev/null |
        grep -o '"class":"msctls_statusbar32","control_id":1014,"handle":"0x[0-9A-F]*"' | sed 's/.*"handle":"//; s/"$//'
}

# watch, every pass written: each line the status bar's section and a timestamp; its changing part counts up.
watch_title='CLI 監視 標本'
wine "$specimen" --title "$watch_title" --change-every 300 --exit-after 4000 </dev/null >/dev/null 2>&1 &
watch_pid=$!
wait_for_window "$watch_title"
status_bar=$(status_bar_of "$watch_title")
[ -n "$status_bar" ] || fail "the watched specimen's status bar handle is not in its document"
wine "$cli" watch --title "$watch_title" --interval 200 --control "$status_bar" </dev/null >"$work/watch.out" \
    2>"$work/watch.err"
rc=$?
wait "$watch_pid" 2>/dev/null
[ "$rc" -eq 1 ] || fail "watch until the window closes: exit code $rc, expected 1"
grep -q "closed" "$work/watch.err" || fail "watch did not say the window closed: $(head -c 200 "$work/watch.err")"
line_part() { # the line with the timestamp and handle masked, its part 1 text given as $2
    printf '{"sections":[{"class":"msctls_statusbar32","handle":"<handle>","items":[{"part":0,"text":"Ready"},'
    printf '{"part":1,"text":"%s"},{"part":2,"text":"x"},{"part":3,"text":"接続"},{"part":4,"text":""},' "$1"
    printf '{"part":5,"text":"完了"}],"kind":"status_bar","path":"cross_process","status":"read"}],'
    printf '"timestamp":"<time>"}\n'
}
sed -E -e 's/"handle":"0x[0-9A-F]+"/"handle":"<handle>"/' \
    -e 's/"timestamp":"[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}"/"timestamp":"<time>"/' \
    "$work/watch.out" >"$work/watch-masked.out"
[ "$(wc -l <"$work/watch-masked.out")" -ge 3 ] || fail "watch wrote fewer than 3 passes before the window closed"
previous=-1
while IFS= read -r line; do
    n=$(sed -n 's/.*"text":"変化 \([0-9]*\)".*/\1/p' <<<"$line")
    [ "$line" = "$(line_part "${n:+変化 $n}")" ] || { fail "a watch line is not the status bar's section: $line"; break; }
    [ "${n:-0}" -ge "$previous" ] || fail "the status bar's count went back from $previous to $n"
    previous=${n:-0}
done <"$work/watch-masked.out"

# --changes-only, passes more often than the specimen changes: no line repeats the one before it.
wine "$specimen" --title "$watch_title" --change-every 600 --exit-after 4000 </dev/null >/dev/null 2>&1 &
watch_pid=$!
wait_for_window "$watch_title"
status_bar=$(status_bar_of "$watch_title")
wine "$cli" watch --title "$watch_title" --interval 100 --changes-only --control "$status_bar" </dev/null \
    >"$work/changes.out" 2>/dev/null
rc=$?
wait "$watch_pid" 2>/dev/null
[ "$rc" -eq 1 ] || fail "watch --changes-only until the window closes: exit code $rc, expected 1"
sed -E 's/"timestamp":"[^"]*"//; s/"handle":"0x[0-9A-F]+"//' "$work/changes.out" >"$work/changes-masked.out"
[ "$(wc -l <"$work/changes-masked.out")" -ge 2 ] || fail "watch --changes-only wrote fewer than 2 lines"
[ -z "$(uniq -d "$work/changes-masked.out")" ] || fail "watch --changes-only wrote the same sections twice in a row"

# Ctrl+C after three lines, in both formats: exit code 0, nothing on stderr, whole passes only (jsonl: the
# status bar's lines; text: a timestamp line per report, the last one ending with its last line and an empty
# line; text in UTF-8 the same, each report with its texts whole).
wine "$specimen" --title "$watch_title" --change-every 300 --exit-after 60000 </dev/null >/dev/null 2>&1 &
watch_pid=$!
wait_for_window "$watch_title"
status_bar=$(status_bar_of "$watch_title")
for format in jsonl text utf-8; do
    control=(--control "$status_bar")
    [ "$format" != jsonl ] && control=()
    encoding=()
    [ "$format" = utf-8 ] && encoding=(--encoding utf-8)
    wine "$console_ctrl" 3 "$cli" watch --title "$watch_title" --interval 100 "${control[@]}" \
        --format "${format/utf-8/text}" "${encoding[@]}" </dev/null >"$work/ctrl-c.out" 2>"$work/ctrl-c.err"
    rc=$?
    [ "$rc" -eq 0 ] || fail "watch --format $format ended by Ctrl+C: exit code $rc ($(head -c 300 "$work/ctrl-c.err"))"
    [ -s "$work/ctrl-c.err" ] && fail "watch --format $format ended by Ctrl+C wrote to stderr: $(head -c 300 "$work/ctrl-c.err")"
    if [ "$format" = jsonl ]; then
        sed -E -e 's/"handle":"0x[0-9A-F]+"/"handle":"<handle>"/' -e 's/"timestamp":"[^"]*"/"timestamp":"<time>"/' \
            -e 's/"text":"変化 [0-9]+"/"text":"%s"/' "$work/ctrl-c.out" | sort -u >"$work/ctrl-c-masked.out"
        [ "$(cat "$work/ctrl-c-masked.out")" = "$(line_part %s)" ] ||
            fail "watch ended by Ctrl+C: not every line is the status bar's whole section: $(tail -c 300 "$work/ctrl-c.out")"
    elif [ "$format" = utf-8 ]; then
        # UTF-8: each pass's report whole, the accessible text code page 932 lacks included.
        passes=$(grep -c -E '^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]{12}'$'\r''$' "$work/ctrl-c.out")
        whole=$(grep -c -x -F "$(printf '  + 笑顔 😀\r')" "$work/ctrl-c.out")
        [ "$passes" -ge 1 ] && [ "$passes" -eq "$whole" ] && [ "$(tail -c 8 "$work/ctrl-c.out" | od -An -tx1 | tr -d ' \n')" = e6aeb5340d0a0d0a ] ||
            fail "watch --format text --encoding utf-8 ended by Ctrl+C: $passes passes, $whole whole accessible lines, ending $(tail -c 8 "$work/ctrl-c.out" | od -An -c)"
    else
        passes=$(grep -c -E '^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]{12}'$'\r''$' "$work/ctrl-c.out")
        reports=$(grep -c -x -F "$(printf '■ ウインドウの構成' | iconv -f UTF-8 -t CP932)" "$work/ctrl-c.out")
        [ "$passes" -ge 1 ] && [ "$passes" -eq "$reports" ] &&
            [ "$(tail -c 7 "$work/ctrl-c.out" | od -An -tx1 | tr -d ' \n')" = 9269340d0a0d0a ] || # 段4 CR LF CR LF
            fail "watch --format text ended by Ctrl+C: $passes passes, $reports reports, ending $(tail -c 7 "$work/ctrl-c.out" | od -An -c)"
    fi
    [ "$(grep -c '' "$work/ctrl-c.out")" -ge 3 ] || fail "watch --format $format ended by Ctrl+C: fewer than 3 lines"
done
kill "$watch_pid" 2>/dev/null
wait "$watch_pid" 2>/dev/null

# Bad combinations: exit code 2 and the reason.
bad=(
    "watch --title x|watch needs --interval MS"
    "watch --title x --interval 0|--interval takes milliseconds"
    "watch --title x --interval 10 --format csv|--format of watch takes jsonl or text"
    "watch --title x --interval 10 --encoding cp932|always UTF-8"
    "watch --title x --interval 10 --control zz|--control needs a hexadecimal window handle"
    "watch --title x --interval 10 --out f|unknown option for watch"
    "capture --title x --changes-only|unknown option for capture"
    "capture --title x --format jsonl|--format takes text, json or csv"
    "watch --title x --interval 10 --format json|--format of watch takes jsonl or text"
    "watch --title x --interval 10 --format text --control 0x10|--control picks the sections of --format jsonl"
    "watch --title x --interval 1e3|--interval takes milliseconds"
    "watch --title x --interval 86400001|--interval takes milliseconds"
    "watch --title x --interval 10 --interval 10|--interval is given twice"
    "watch --title x --interval 10 --changes-only --changes-only|--changes-only is given twice"
    "watch --interval 10|watch needs one of --title, --class, --handle"
    "watch --title x --class y --interval 10|give exactly one of --title, --class, --handle"
    "watch --title x --interval 10 --cross-process|unknown option for watch"
    "watch --title x --interval|missing its value"
    "capture --title x --interval 10|unknown option for capture"
)
for entry in "${bad[@]}"; do
    read -r -a words <<<"${entry%%|*}"
    wine "$cli" "${words[@]}" </dev/null >"$work/bad.out" 2>"$work/bad.err"
    rc=$?
    [ "$rc" -eq 2 ] || fail "${entry%%|*}: exit code $rc, expected 2"
    grep -q -F -- "${entry#*|}" "$work/bad.err" || fail "${entry%%|*}: stderr does not say \"${entry#*|}\""
done

# A --control that is no window below the watched one (the other specimen window's status bar): exit code 1
# at once, not passes without sections until the time-out.
timeout 30 wine "$cli" watch --title "$unicode_title" --interval 10 --control "$(status_bar_of "$title")" </dev/null \
    >"$work/bad.out" 2>"$work/bad.err"
rc=$?
[ "$rc" -eq 1 ] && [ ! -s "$work/bad.out" ] && grep -q "no window at or below 0x[0-9A-F]* has the handle" "$work/bad.err" ||
    fail "watch --control outside the window: exit code $rc, $(head -c 200 "$work/bad.err")"

# The 32-bit specimen's Unicode window (its menu bar read through msghook32.dll): the same document and
# UTF-8 report, once the 64-bit one, whose window has the same title, is gone.
if [ -n "$specimen32" ]; then
    kill "$specimen_pid" 2>/dev/null
    wait "$specimen_pid" 2>/dev/null
    wine "$specimen32" --title "$title 32u" --unicode-window </dev/null >/dev/null 2>&1 &
    specimen_pid=$!
    wait_for_window "$title 32u" && wait_for_window "$unicode_title" ||
        fail "the 32-bit specimen did not show its Unicode window"
    expect_document unicode32 "$unicode_title" "$expected/specimen_unicode.json" \
        "the 32-bit specimen's Unicode window's document"
    run_cli unicode32-text capture --title "$unicode_title" --encoding utf-8
    cmp -s "$work/unicode32-text.out" "$expected/specimen_unicode_utf8.txt" ||
        fail "the 32-bit specimen's Unicode window's UTF-8 report differs from specimen_unicode_utf8.txt"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all vantor-cli --format json / csv checks passed"
