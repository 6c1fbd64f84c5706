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
# Both read paths give the same document (inside the specimen, and --cross-process) but for the read path each
# section names, and the text report of the same run is unchanged by the structured output.
#   cli_structured_test.sh HARNESS BUILD_DIR CLI_EXE SPECIMEN_EXE JSON_MATCH_EXE EXPECTED_DIR
set -u
harness=$1
build_dir=$2
cli_exe=$3
specimen=$4
json_match=$5
expected=$6

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

eval "$(bash "$harness" env "$build_dir")" || {
    echo "FAIL: the Wine environment is not started"
    exit 1
}

work=$build_dir/cli-structured-test
rm -rf "$work"
mkdir -p "$work/cli"
cp "$cli_exe" "$(dirname "$cli_exe")/msghook.dll" "$work/cli/"
cli=$work/cli/vantor-cli.exe

title='CLI 構造 標本'
wine "$specimen" --title "$title" --unicode-window </dev/null >/dev/null 2>&1 &
specimen_pid=$!
trap 'kill $specimen_pid 2>/dev/null; wait $specimen_pid 2>/dev/null' EXIT
unicode_title='Vantor Specimen Unicode'
for name in "$title" "$unicode_title"; do
    for ((i = 0; i < 300; i++)); do
        xdotool search --onlyvisible --name "^$name\$" >/dev/null 2>&1 && break
        sleep 0.1
    done
done

run_cli() {
    local name=$1
    shift
    wine "$cli" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.err"
    rc=$?
    [ "$rc" -eq 0 ] || fail "capture $*: exit code $rc ($(head -c 300 "$work/$name.err"))"
}

# JSON on the bulk path, and across processes: list boxes and combo boxes then go by the messages the window
# system copies, list views and tree views by exchanges through the specimen's memory.
run_cli json capture --title "$title" --format json
wine "$json_match" "$expected/specimen.json" "$work/json.out" || fail "the JSON document differs (above)"
sed -e '/"kind": "\(list_box\|combo_box\)"/{n;s/"path": "bulk"/"path": "messages"/}' \
    -e 's/"path": "bulk"/"path": "cross_process"/' "$expected/specimen.json" >"$work/expected-cross.json"
run_cli json-cross capture --title "$title" --format json --cross-process
wine "$json_match" "$work/expected-cross.json" "$work/json-cross.out" ||
    fail "the JSON document read across processes differs (above)"

# The Unicode window, both ways.
run_cli unicode capture --title "$unicode_title" --format json
wine "$json_match" "$expected/specimen_unicode.json" "$work/unicode.out" || fail "the Unicode window's document differs"
sed -e '/"kind": "\(list_box\|combo_box\)"/{n;s/"path": "bulk"/"path": "messages"/}' \
    -e 's/"path": "bulk"/"path": "cross_process"/' "$expected/specimen_unicode.json" >"$work/expected-unicode-cross.json"
run_cli unicode-cross capture --title "$unicode_title" --format json --cross-process
wine "$json_match" "$work/expected-unicode-cross.json" "$work/unicode-cross.out" ||
    fail "the Unicode window's document read across processes differs"

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

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all vantor-cli --format json / csv checks passed"
