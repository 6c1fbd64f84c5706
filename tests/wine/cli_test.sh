#!/usr/bin/env bash
# End-to-end tests of vantor-cli under Wine. The specimen application runs as another process and vantor-cli
# captures it; the whole report is compared byte for byte (code page 932, mixed line ends) with the expected
# reports in EXPECTED_DIR, which were written by hand from the specimen's contents:
#   specimen_tab.txt        full capture with the default list-view separator (no vantor.ini: a tab)
#   specimen_semicolon.txt  the same with "ListSeparator=;" in a vantor.ini beside vantor-cli.exe
#   specimen_hung.txt       full capture of a specimen whose user-interface thread no longer answers
#   nothing_readable.txt    capture of a window without any readable control
# The same reports come from the list view, list box, combo box and tree view read inside the specimen
# (through msghook.dll) and across processes (--cross-process, ForceCrossProcess=1, no msghook.dll).
# Under Wine another process's menus cannot be read directly (GetMenuItemCount answers -1 for them);
# vantor-cli sets msghook.dll's hook for the capture and reads the specimen's menu bar inside the specimen,
# so the expected reports have the "■ メニュー情報" section after the structure report, as on Windows. The
# hung specimen cannot answer the request: its menu section holds the failure line, and the capture goes on.
# Also checked: list (format and z-order), --handle and --out (a file already there kept until the report
# replaces it), the specimen exiting in the middle of a capture, and every error exit code.
# With WIDTH 32 the specimen is the 32-bit build: the same reports come through msghook32.dll and the 32-bit
# host (vantor-host32.exe) beside vantor-cli, and across processes; without the 32-bit pieces its controls are
# read across processes. Sections 2 to 8, which do not depend on the target's width, run with 64 only. With
# 64 the 64-bit specimen also gives its full report without the 32-bit pieces.
#   cli_test.sh HARNESS BUILD_DIR CLI_EXE SPECIMEN_EXE EXPECTED_DIR [WIDTH]
# Runs as a ctest test inside the Wine fixture (the environment is started already).
set -u
harness=$1
build_dir=$2
cli_exe=$3
specimen=$4
expected=$5
width=${6:-64}

# shellcheck source=tests/wine/test_common.sh
. "$(dirname "$0")/test_common.sh"

join_wine_environment

# Private copies of vantor-cli, each with its own directory and so its own vantor.ini (or none); the build's
# bin directory is shared with the application, which keeps its own vantor.ini there.
work=$build_dir/cli-test-$width
rm -rf "$work"
mkdir -p "$work/tab" "$work/semicolon" "$work/out" "$work/nohook" "$work/forced" "$work/no32"
cp "$cli_exe" "$work/tab/vantor-cli.exe"
cp "$cli_exe" "$work/semicolon/vantor-cli.exe"
# The hook library beside each copy, as it is installed beside vantor-cli.exe.
cp "$(dirname "$cli_exe")/msghook.dll" "$work/tab/msghook.dll"
cp "$(dirname "$cli_exe")/msghook.dll" "$work/semicolon/msghook.dll"
printf 'ListSeparator=;\r\n' >"$work/semicolon/vantor.ini"
# Without the hook library beside it, and with ForceCrossProcess=1: the cross-process readers only.
cp "$cli_exe" "$work/nohook/vantor-cli.exe"
cp "$cli_exe" "$work/forced/vantor-cli.exe"
cp "$(dirname "$cli_exe")/msghook.dll" "$work/forced/msghook.dll"
printf 'ForceCrossProcess=1\r\n' >"$work/forced/vantor.ini"
# The 32-bit pieces beside the copies with the hook library, but for no32 (msghook.dll alone).
cp "$(dirname "$cli_exe")/msghook.dll" "$cli_exe" "$work/no32/"
for piece in msghook32.dll vantor-host32.exe; do
    for copy in tab semicolon forced; do
        cp "$(dirname "$cli_exe")/$piece" "$work/$copy/$piece" || fail "no $piece beside $cli_exe"
    done
done
cli=$work/tab/vantor-cli.exe
semicolon_cli=$work/semicolon/vantor-cli.exe

specimen_pids=()
end_specimens() {
    local pid
    for pid in "${specimen_pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    specimen_pids=()
}
trap end_specimens EXIT

# Waits up to $2 tenths of a second until at least $3 (default 1) windows named exactly $1 are shown (the
# specimen shows its window once every control is filled).
wait_for_window() {
    local i ids
    for ((i = 0; i < $2; i++)); do
        ids=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)
        [ -n "$ids" ] && [ "$(wc -l <<<"$ids")" -ge "${3:-1}" ] && return 0
        sleep 0.1
    done
    return 1
}

# start_specimen TITLE [OPTIONS...]: a specimen in the background, returned once its window is shown (once
# one more window of that title is shown than before).
start_specimen() {
    local title=$1 before
    shift
    before=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | wc -l)
    wine "$specimen" --title "$title" "$@" </dev/null >/dev/null 2>&1 &
    specimen_pids+=($!)
    wait_for_window "$title" 300 $((before + 1)) || fail "the specimen '$title' did not show its window"
}

# run_cli EXE NAME ARGS...: runs vantor-cli; stdout in $work/NAME.out, stderr in $work/NAME.err, exit code
# in $rc, seconds taken in $elapsed.
run_cli() {
    local exe=$1 name=$2 started
    shift 2
    started=$(date +%s.%N)
    wine "$exe" "$@" </dev/null >"$work/$name.out" 2>"$work/$name.err"
    rc=$?
    elapsed=$(echo "$(date +%s.%N) - $started" | bc)
}

expect_rc() {
    [ "$rc" -eq "$1" ] || fail "$2: exit code $rc, expected $1 (stderr: $(head -c 300 "$work/$3.err"))"
}

# Shows the difference of two code page 932 reports as UTF-8 with visible carriage returns.
show_diff() {
    diff <(iconv -f CP932 -t UTF-8 "$1" | sed 's/\r/<CR>/g') \
        <(iconv -f CP932 -t UTF-8 "$2" 2>&1 | sed 's/\r/<CR>/g') | head -n 40
}

expect_report() {
    local actual=$1 wanted=$2 what=$3
    if ! cmp -s "$wanted" "$actual"; then
        fail "$what: the report differs from $(basename "$wanted") (< expected, > actual)"
        show_diff "$wanted" "$actual"
    fi
}

title='CLI 標本'

# 1. The specimen's full report, with the default separator and with ";" from vantor.ini.
start_specimen "$title"
run_cli "$cli" tab capture --title "$title"
expect_rc 0 "capture --title" tab
expect_report "$work/tab.out" "$expected/specimen_tab.txt" "capture with the default separator"
[ -s "$work/tab.err" ] && fail "capture wrote to stderr: $(head -c 300 "$work/tab.err")"
run_cli "$semicolon_cli" semicolon capture --title "$title"
expect_rc 0 "capture with vantor.ini" semicolon
expect_report "$work/semicolon.out" "$expected/specimen_semicolon.txt" "capture with ListSeparator=;"

# 1b. The list view, list box, combo box and tree view are read inside the specimen through msghook.dll, and
#     across processes with --cross-process, with ForceCrossProcess=1 and without the library: the same
#     report every time.
#     --verbose names the path of each on stderr, and why the bulk path was not taken.
expect_paths() {
    local name=$1 path=$2 what=$3 lines
    lines=$(tr -d '\r' <"$work/$name.err" | grep -v '^vantor-cli: menu bar of ')
    local reader
    for reader in "list view" "list box" "combo box" "tree view" "accessible"; do
        grep -q -x -E "vantor-cli: $reader 0x[0-9A-F]+ read $path" <<<"$lines" ||
            fail "$what: stderr should name the $path path of the $reader: $lines"
    done
    [ "$(wc -l <<<"$lines")" -eq 5 ] || fail "$what: stderr should have five lines: $lines"
}
run_cli "$cli" bulk capture --title "$title" --verbose
expect_rc 0 "capture --verbose" bulk
expect_report "$work/bulk.out" "$expected/specimen_tab.txt" "capture through the hook library"
expect_paths bulk bulk "capture --verbose"
run_cli "$cli" cross capture --title "$title" --cross-process --verbose
expect_rc 0 "capture --cross-process" cross
expect_report "$work/cross.out" "$expected/specimen_tab.txt" "capture --cross-process"
expect_paths cross 'cross-process \(forced by --cross-process or ForceCrossProcess=1\)' "capture --cross-process --verbose"
run_cli "$work/forced/vantor-cli.exe" forced capture --title "$title" --verbose
expect_rc 0 "capture with ForceCrossProcess=1" forced
expect_report "$work/forced.out" "$expected/specimen_tab.txt" "capture with ForceCrossProcess=1"
expect_paths forced 'cross-process \(forced by --cross-process or ForceCrossProcess=1\)' "capture with ForceCrossProcess=1"
run_cli "$work/nohook/vantor-cli.exe" nohook capture --title "$title" --verbose
expect_rc 0 "capture without msghook.dll" nohook
expect_paths nohook 'cross-process \(msghook.dll is not loaded\)' "capture without msghook.dll"
# Without the library the menu bar of another process cannot be read under Wine: the report is compared
# from the first section after the menus (the toolbars) to its end.
from_toolbars() {
    local marker offset
    marker=$(printf '■ ツールバー情報' | iconv -f UTF-8 -t CP932)
    offset=$(grep -a -b -o -F "$marker" "$1" | head -n 1 | cut -d: -f1)
    [ -n "$offset" ] && tail -c +$((offset + 1)) "$1"
}
if ! cmp -s <(from_toolbars "$work/nohook.out") <(from_toolbars "$expected/specimen_tab.txt") ||
    [ -z "$(from_toolbars "$work/nohook.out")" ]; then
    fail "capture without msghook.dll: the controls' sections differ from specimen_tab.txt"
fi
# ... but the menu bar is not left out silently: its section holds the failure line, and --verbose says why.
[ "$(iconv -f CP932 -t UTF-8 "$work/nohook.out" | grep -A1 -x $'■ メニュー情報\r' | tail -n 1 | tr -d '\r')" = \
    "情報をうまく取得できませんでした" ] || fail "capture without msghook.dll: no menu section with the failure line"
grep -q -x -E "vantor-cli: menu bar of 0x[0-9A-F]+ not read: msghook.dll is not loaded" \
    <(tr -d '\r' <"$work/nohook.err") || fail "capture without msghook.dll: --verbose does not say why: $(cat "$work/nohook.err")"
! grep -q "menu bar of" "$work/bulk.err" || fail "capture --verbose: the menu bar was read, yet stderr names it"
# 1c. A wide list: 2,000 rows of four columns, the same through both paths.
start_specimen "$title wide" --rows 2000 --columns 4
run_cli "$cli" wide-bulk capture --title "$title wide" --verbose
expect_paths wide-bulk bulk "capture of 2,000 rows"
run_cli "$cli" wide-cross capture --title "$title wide" --cross-process
cmp -s "$work/wide-bulk.out" "$work/wide-cross.out" ||
    fail "2,000 rows of four columns: the reports of the two paths differ"
[ "$(grep -a -c $'\t' "$work/wide-bulk.out")" -ge 2001 ] || fail "2,000 rows of four columns: rows are missing"

# 1d. The self-drawn control's accessible objects (its section is the report's last): a tree that loops keeps
#     every item once and ends with the failure line; an answer to WM_GETOBJECT that is no object, and a
#     target that stops answering in the middle of the walk, give the header and the failure line (the
#     capture ends: the walk is bounded in time); Accessibility=0 leaves the section out.
accessible_header=$'\n■ アクセシビリティ情報 [VantorSpecimenGrid]\r\n'
accessible_items=$'果物\r\n  + りんご\r\n  + みかん\r\n  + 数量 = 3\r\n  + 笑顔 ??\r\n野菜\r\n  + にんじん\r\n'
accessible_items+=$'深い枝\r\n  + 段1\r\n    + 段2\r\n      + 段3\r\n        + 段4\r\n'
failure_line=$'情報をうまく取得できませんでした\r\n'
# The report from the accessible section's header on (code page 932 in, UTF-8 out).
accessible_section() {
    local marker offset
    marker=$(printf '■ アクセシビリティ情報' | iconv -f UTF-8 -t CP932)
    offset=$(grep -a -b -o -F "$marker" "$1" | tail -n 1 | cut -d: -f1)
    [ -n "$offset" ] && tail -c +"$offset" "$1" | iconv -f CP932 -t UTF-8
}
expect_section() {
    local name=$1 wanted=$2 what=$3
    [ "$(accessible_section "$work/$name.out"; echo .)" = "$wanted." ] ||
        fail "$what: the accessible section reads: $(accessible_section "$work/$name.out" | cat -A | head -c 600)"
}
expect_section tab "$accessible_header$accessible_items" "the self-drawn control"
# A specimen per capture: one that stopped answering would not be asked again.
for mode in 1 2 3; do
    for path in bulk cross; do
        start_specimen "$title acc $mode $path" --accessible-mode "$mode"
        extra=()
        [ "$path" = cross ] && extra=(--cross-process)
        run_cli "$cli" "acc-$mode-$path" capture --title "$title acc $mode $path" "${extra[@]}"
        expect_rc 0 "accessible mode $mode ($path)" "acc-$mode-$path"
        # A target that stops answering is let go one time-out after its last answer, not after the
        # whole read's far longer bound.
        if [ "$mode" = 3 ]; then
            echo "capture of the stopped accessible server ($path): $elapsed s"
            [ "$(echo "$elapsed < 30" | bc)" -eq 1 ] || fail "the stopped accessible server ($path) held the capture $elapsed s"
        fi
        case $mode in
        1) expect_section "acc-$mode-$path" "$accessible_header$accessible_items$failure_line" "a looping tree ($path)" ;;
        *) expect_section "acc-$mode-$path" "$accessible_header$failure_line" "accessible mode $mode ($path)" ;;
        esac
    done
done
# A group of more children than are asked for in one call: every item once and in order on both paths.
many_items=$'多数\r\n'
for i in $(seq 1 150); do many_items+="  + 項目 $i"$'\r\n'; done
for path in bulk cross; do
    start_specimen "$title many $path" --accessible-items 150
    extra=()
    [ "$path" = cross ] && extra=(--cross-process)
    run_cli "$cli" "acc-many-$path" capture --title "$title many $path" "${extra[@]}"
    expect_rc 0 "150 accessible items ($path)" "acc-many-$path"
    expect_section "acc-many-$path" "$accessible_header$accessible_items$many_items" "a group of 150 items ($path)"
done
end_specimens
start_specimen "$title"
mkdir -p "$work/noacc"
cp "$cli" "$work/noacc/vantor-cli.exe"
for piece in msghook.dll msghook32.dll vantor-host32.exe; do
    [ -f "$(dirname "$cli_exe")/$piece" ] && cp "$(dirname "$cli_exe")/$piece" "$work/noacc/$piece"
done
printf 'Accessibility=0\r\n' >"$work/noacc/vantor.ini"
run_cli "$work/noacc/vantor-cli.exe" noacc capture --title "$title"
expect_rc 0 "capture with Accessibility=0" noacc
marker=$(printf '■ アクセシビリティ情報' | iconv -f UTF-8 -t CP932)
offset=$(grep -a -b -o -F "$marker" "$expected/specimen_tab.txt" | tail -n 1 | cut -d: -f1)
if ! cmp -s "$work/noacc.out" <(head -c "$((offset - 1))" "$expected/specimen_tab.txt"); then
    fail "capture with Accessibility=0: the report is not specimen_tab.txt without its accessible section"
fi

# 1e. Without the 32-bit pieces: a 64-bit specimen as before (bulk, its menu bar read), a 32-bit one across
#     processes with its menu section holding the failure line (a specimen of its own: the section keeps the
#     snapshots of menus read before). Then no host is left running in this prefix: each vantor-cli ended
#     its host with its hooks.
no32_title=$title
[ "$width" = 32 ] && no32_title="$title no32" && start_specimen "$no32_title"
run_cli "$work/no32/vantor-cli.exe" no32 capture --title "$no32_title" --verbose
expect_rc 0 "capture without the 32-bit pieces" no32
if [ "$width" = 64 ]; then
    expect_report "$work/no32.out" "$expected/specimen_tab.txt" "capture without the 32-bit pieces"
    expect_paths no32 bulk "capture without the 32-bit pieces"
else
    expect_paths no32 'cross-process \(the target has another pointer width\)' "capture without the 32-bit pieces"
    cmp -s <(from_toolbars "$work/no32.out") <(from_toolbars "$expected/specimen_tab.txt") ||
        fail "capture without the 32-bit pieces: the controls' sections differ from specimen_tab.txt"
    [ "$(iconv -f CP932 -t UTF-8 "$work/no32.out" | grep -A1 -x $'■ メニュー情報\r' | tail -n 1 | tr -d '\r')" = \
        "情報をうまく取得できませんでした" ] || fail "capture without the 32-bit pieces: no menu failure line"
fi
# A host's process may take a moment to wind down under load: each is given 5 s (far beyond the second a
# host takes to notice its parent has gone).
for pid in $(pgrep -x vantor-host32.e); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -q -x "WINEPREFIX=$WINEPREFIX" || continue
    for ((i = 0; i < 50; i++)); do
        [ -d "/proc/$pid" ] && [ "$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)" != Z ] || break
        sleep 0.1
    done
    [ "$i" -lt 50 ] || fail "a vantor-host32.exe ($pid) is left running after vantor-cli ended"
done
if [ "$width" = 32 ]; then
    end_specimens
    [ "$failures" -gt 0 ] && { echo "$failures check(s) failed"; exit 1; }
    echo "all vantor-cli checks of the 32-bit specimen passed"
    exit 0
fi

# 2. list: "title [class]" lines in z-order; the window shown last is on top, so it comes first.
start_specimen "$title 2"
run_cli "$cli" list list
expect_rc 0 "list" list
first=$(grep -n -a -x -F "$(printf '%s [VantorSpecimen]\r' "$title" | iconv -f UTF-8 -t CP932)" "$work/list.out" |
    cut -d: -f1)
second=$(grep -n -a -x -F "$(printf '%s 2 [VantorSpecimen]\r' "$title" | iconv -f UTF-8 -t CP932)" \
    "$work/list.out" | cut -d: -f1)
if [ -z "$first" ] || [ -z "$second" ]; then
    fail "list does not show both specimens as 'title [VantorSpecimen]' lines"
elif [ "$second" -ge "$first" ]; then
    fail "list shows the newer specimen (line $second) below the older one (line $first)"
fi
[ -z "$(grep -a -v -E '\]'$'\r''$' "$work/list.out")" ] || fail "list prints lines that are not 'title [class]'"

# 3. --handle from `list --handles`, --out: the same report in the file, nothing on stdout.
run_cli "$cli" handles list --handles
expect_rc 0 "list --handles" handles
handle=$(grep -a -F "$(printf ' %s [VantorSpecimen]\r' "$title" | iconv -f UTF-8 -t CP932)" "$work/handles.out" |
    grep -a -o -E '^0x[0-9A-F]+' | head -n 1)
if [ -z "$handle" ]; then
    fail "list --handles shows no handle for '$title'"
else
    printf 'an older report, longer than the one that replaces it%.0s' {1..500} >"$work/out/report.txt"
    run_cli "$cli" handle capture --handle "$handle" --out "$work/out/report.txt"
    expect_rc 0 "capture --handle --out" handle
    expect_report "$work/out/report.txt" "$expected/specimen_tab.txt" "capture --handle $handle --out"
    [ -s "$work/handle.out" ] && fail "capture --out also wrote to stdout"
fi

# 4. A window without any readable control still gives its report and exit code 0: the drop-down list of a
#    combo box is a top-level window of class ComboLBox, one per running specimen. Any of them gives the
#    same report; those of other tests' specimens may close meanwhile, so each one listed is tried until
#    one gives the report (ours stays open).
run_cli "$cli" combolbox capture --class ComboLBox
if [ "$rc" -eq 3 ]; then
    for handle in $(grep -a -o -E '^  0x[0-9A-F]+' "$work/combolbox.err"); do
        run_cli "$cli" combolbox capture --handle "$handle"
        [ "$rc" -eq 0 ] && cmp -s "$work/combolbox.out" "$expected/nothing_readable.txt" && break
    done
fi
expect_rc 0 "capture of a window with nothing readable" combolbox
expect_report "$work/combolbox.out" "$expected/nothing_readable.txt" "capture of a ComboLBox"

# 5. Errors and their exit codes; none of them writes to stdout or leaves an output file.
no_stdout() {
    [ -s "$work/$1.out" ] && fail "$2 wrote to stdout"
}
twin='CLI 標本 二重'
start_specimen "$twin"
start_specimen "$twin"
run_cli "$cli" twins capture --title "$twin"
expect_rc 3 "two windows with the same title" twins
no_stdout twins "two windows with the same title"
[ "$(grep -c -a -E '^  0x[0-9A-F]+ ' "$work/twins.err")" -eq 2 ] ||
    fail "several windows match: stderr should list both handles: $(cat "$work/twins.err")"
run_cli "$cli" classes capture --class VantorSpecimen
expect_rc 3 "several windows of one class" classes
run_cli "$cli" missing capture --title "no such window $$" --out "$work/out/missing.txt"
expect_rc 1 "no window with the title" missing
no_stdout missing "no window with the title"
[ -e "$work/out/missing.txt" ] && fail "a capture of no window left its output file"
run_cli "$cli" missing-class capture --class "NoSuchClass$$"
expect_rc 1 "no window of the class" missing-class
run_cli "$cli" bad-handle capture --handle 0x7FFFFFF0
expect_rc 1 "a handle that names no window" bad-handle
bad_arguments=(
    ""
    "capture"
    "capture --title"
    "capture --title a --class b"
    "capture --handle xyz"
    "capture --handle 0x"
    "capture --title a --out"
    "capture --title a --out x --out y"
    "capture --frobnicate 1"
    "capture --title a --verbose --verbose"
    "capture --cross-process --title a --cross-process"
    "list extra"
    "frobnicate"
    "--help extra"
    "--version extra"
)
for arguments in "${bad_arguments[@]}"; do
    read -r -a words <<<"$arguments"
    run_cli "$cli" bad "${words[@]}"
    expect_rc 2 "bad arguments '$arguments'" bad
    no_stdout bad "bad arguments '$arguments'"
    grep -q 'usage' "$work/bad.err" || fail "bad arguments '$arguments': no usage on stderr"
done
run_cli "$cli" no-dir capture --title "$title" --out "$work/no such directory/report.txt"
expect_rc 4 "--out into a missing directory" no-dir
no_stdout no-dir "--out into a missing directory"
run_cli "$cli" dir capture --title "$title" --out "$work/out"
expect_rc 4 "--out naming a directory" dir
run_cli "$cli" help --help
expect_rc 0 "--help" help
for code in 0 1 2 3 4; do
    grep -q -E "^  $code  " "$work/help.out" || fail "--help does not explain exit code $code"
done
end_specimens

# 6. A hung specimen: every message to it goes unanswered, the capture still ends in bounded time, and each
#    section of a control says it could not be read.
#    The specimen stops answering at its first timer message, right after it has shown its window; the
#    capture starts a second later, before the window counts as hung, when each first message to it waits out
#    the whole time-out. The specimen ends itself after two minutes, so a capture that blocks shows as a
#    capture that took that long.
start_specimen "$title" --hang-after 0 --exit-after 120000
sleep 1
run_cli "$cli" hung capture --title "$title"
echo "capture of the hung specimen: $elapsed s"
expect_rc 0 "capture of a hung window" hung
expect_report "$work/hung.out" "$expected/specimen_hung.txt" "capture of a hung window"
[ "$(echo "$elapsed < 30" | bc)" -eq 1 ] || fail "the capture of a hung window took $elapsed s"
end_specimens

# 7. The specimen exits in the middle of a capture: it ends itself 8 s after its start while its list view of
#    50,000 rows is being read. The capture must end normally with what it read: the report up to the list
#    view's header line as before, then rows 0, 1, 2, ... in order, at most one last row with cells missing
#    (the one being read when the process went), then the failure line (rows are missing) and nothing after
#    it; every line complete. The list view is
#    read across processes (--cross-process): inside the specimen its 50,000 rows take a fraction of a
#    second, long before it exits (the Wine platform tests close the specimen between two chunks of that path).
rows=50000
start_specimen "$title" --rows "$rows" --exit-after 8000
run_cli "$cli" exit capture --title "$title" --cross-process
expect_rc 0 "capture of a specimen that exits meanwhile" exit
[ -s "$work/exit.err" ] && fail "capture of an exiting specimen wrote to stderr: $(head -c 300 "$work/exit.err")"
end_specimens
if ! iconv -f CP932 -t UTF-8 "$work/exit.out" >"$work/exit.txt"; then
    fail "the report of the exiting specimen is not clean code page 932 text"
else
    iconv -f CP932 -t UTF-8 "$expected/specimen_tab.txt" >"$work/tab.txt"
    header=$(grep -n -x -F "$(printf '名前\t説明\t\r')" "$work/tab.txt" | cut -d: -f1)
    if ! cmp -s <(head -n "$header" "$work/tab.txt") <(head -n "$header" "$work/exit.txt"); then
        fail "the report of the exiting specimen does not begin as the full report does"
        diff <(head -n "$header" "$work/tab.txt") <(head -n "$header" "$work/exit.txt") | head -n 20
    fi
    [ "$(tail -c 2 "$work/exit.txt" | od -An -c | tr -d ' ')" = '\r\n' ] ||
        fail "the report of the exiting specimen does not end with a complete line"
    # Prints "<complete rows> <damaged rows> <bad lines>" for the lines after the header.
    [ "$(tail -n 1 "$work/exit.txt")" = "$(printf '情報をうまく取得できませんでした\r')" ] ||
        fail "the report of the exiting specimen does not end with the failure line"
    verdict=$(tail -n +"$((header + 1))" "$work/exit.txt" | head -n -1 | awk -F '\t' '
        function cell(r, c) {
            if (r == 0) return c == 1 ? "りんご" : c == 2 ? "赤い果物" : "1"
            if (r == 1) return c == 1 ? "みかん" : c == 2 ? "" : "2"
            if (r == 2) return c == 1 ? "apple" : c == 2 ? "red fruit" : "3"
            if (r == 3) return c == 1 ? "日本語の行" : c == 2 ? "漢字とかな" : "4"
            if (r == 4) return c == 1 ? "x" : c == 2 ? "一文字の名前" : "5"
            return c == 1 ? "item " r : c == 2 ? "値" r : r ""
        }
        {
            if (substr($0, length($0), 1) != "\r") { bad++; next }
            sub(/\r$/, "")
            if (NF != 3) { bad++; next }
            whole = $1 == cell(n, 1) && $2 == cell(n, 2) && $3 == cell(n, 3)
            if (whole && damaged == 0) { n++; next }
            partial = ($1 == "" || $1 == cell(n, 1)) && ($2 == "" || $2 == cell(n, 2)) && ($3 == "" || $3 == cell(n, 3))
            if (partial && damaged == 0) damaged = 1; else bad++
        }
        END { print n + 0, damaged + 0, bad + 0 }')
    read -r complete damaged bad <<<"$verdict"
    echo "exiting specimen: $complete complete rows, $damaged damaged, $bad bad lines"
    [ "$bad" -eq 0 ] || fail "the report of the exiting specimen has $bad lines that are not rows in order"
    if [ "$complete" -eq 0 ] || [ "$complete" -ge "$rows" ]; then
        fail "the specimen did not exit while its list view was read ($complete of $rows rows read)"
    fi
fi

# 8. --out onto a file that is there: the file keeps what it held while the capture runs, and when the
#    capture is ended from outside (as Ctrl+C ends it) it is left as it was, with nothing beside it.
start_specimen "$title keep" --rows 20000
printf 'kept\r\n' >"$work/out/keep.txt"
wine "$cli" capture --title "$title keep" --cross-process --out "$work/out/keep.txt" </dev/null >/dev/null 2>&1 &
capture_pid=$!
sleep 3
kill -0 "$capture_pid" 2>/dev/null || fail "the capture of 20,000 rows across processes ended within 3 s"
[ "$(cat "$work/out/keep.txt")" = $'kept\r' ] || fail "--out emptied the file while the capture ran"
kill "$capture_pid" 2>/dev/null
wait "$capture_pid" 2>/dev/null
[ "$(cat "$work/out/keep.txt")" = $'kept\r' ] || fail "a capture ended from outside did not leave --out's file as it was"
[ "$(ls "$work/out" | grep -c keep)" -eq 1 ] || fail "a capture ended from outside left files beside --out's: $(ls "$work/out")"
end_specimens

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all vantor-cli checks passed"
