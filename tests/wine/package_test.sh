#!/usr/bin/env bash
# The release package as a Windows user gets it: scripts/package makes the zip from this build directory, and
# the test checks its checksum file, unpacks it into a fresh directory and runs the programs from there: the
# version number of the file VERSION in the zip's name, in vantor-cli --version and in the version resources
# of the three files, the manifest of each program, vantor-cli's report of the specimen in both widths (byte
# for byte the expected report, so msghook.dll and the 32-bit pieces beside it work too), and vantor.exe started and ended through its File
# menu with the keyboard (it then writes vantor.ini into the unpacked folder).
#   package_test.sh HARNESS BUILD_DIR SOURCE_DIR SPECIMEN_EXE EXPECTED_DIR
# Runs as a ctest test inside the Wine fixture (the environment is started already).
set -u
harness=$1
build_dir=$2
root=$3
specimen=$4
expected=$5

# shellcheck source=tests/wine/test_common.sh
. "$(dirname "$0")/test_common.sh"

join_wine_environment

work=$build_dir/package-test
rm -rf "$work"
mkdir -p "$work"
version=$(tr -d ' \r\n' <"$root/VERSION")
name=vantor-$version
zip=$work/dist/$name-win64.zip

# 1. The zip and its checksum file, named after VERSION.
if ! bash "$root/scripts/package" --build-dir "$build_dir" --dist "$work/dist" --no-build >"$work/package.log" 2>&1; then
    fail "scripts/package failed: $(tail -n 5 "$work/package.log")"
    exit 1
fi
[ -f "$zip" ] || {
    fail "no $zip (dist holds: $(ls "$work/dist"))"
    exit 1
}
sums=$zip.sha256
if [ ! -f "$sums" ]; then
    fail "no checksum file beside the zip"
elif [ "$(wc -l <"$sums")" -ne 1 ] || [ "$(awk '{print $2}' "$sums")" != "$(basename "$zip")" ]; then
    fail "the checksum file does not name the zip alone: $(cat "$sums")"
elif ! (cd "$work/dist" && sha256sum -c --status "$(basename "$sums")"); then
    fail "the zip does not match its checksum file"
fi

# 2. Unpacked into a fresh directory: one folder with exactly these files.
unzip -q "$zip" -d "$work/unpacked" || fail "the zip does not unpack"
dir=$work/unpacked/$name
listing=$(cd "$work/unpacked" && find . -type f | sort)
wanted=$(printf './%s/%s\n' "$name" LICENSE.txt "$name" msghook.dll "$name" msghook32.dll \
    "$name" user-guide-ja.txt "$name" vantor-cli.exe "$name" vantor-host32.exe "$name" vantor.exe | sort)
[ "$listing" = "$wanted" ] || fail "the zip holds: $(tr '\n' ' ' <<<"$listing"); expected: $(tr '\n' ' ' <<<"$wanted")"
grep -q 'Permission is hereby granted' "$dir/LICENSE.txt" 2>/dev/null || fail "LICENSE.txt is not the licence"
[ "$(head -n 1 "$dir/user-guide-ja.txt" 2>/dev/null)" = $'\357\273\277# Vantor 使い方ガイド\r' ] ||
    fail "user-guide-ja.txt is not the guide with a UTF-8 byte order mark and Windows line ends"

# 3. The version number everywhere, and the manifests.
out=$(wine "$dir/vantor-cli.exe" --version </dev/null 2>&1)
[ "$out" = "vantor-cli $version"$'\r' ] || fail "vantor-cli --version printed '$out', expected 'vantor-cli $version'"
for file in vantor.exe vantor-cli.exe msghook.dll; do
    resources=$(x86_64-w64-mingw32-windres -J coff -O rc -i "$dir/$file" 2>&1)
    grep -q "FILEVERSION ${version%%.*}, ${version#*.}, 0, 0" <<<"$resources" &&
        grep -q "VALUE \"FileVersion\", \"$version\"" <<<"$resources" ||
        fail "$file: the version resource does not carry $version"
    [ "$file" = msghook.dll ] && continue
    for needle in 'name=""Microsoft.Windows.Common-Controls"" version=""6.0.0.0""' 'level=""asInvoker""' \
        '>true</dpiAware>' '>system</dpiAwareness>' '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
        grep -q -F "$needle" <<<"$resources" || fail "$file: the manifest lacks $needle"
    done
done

# 4. vantor-cli from the unpacked folder against the specimen: the expected report of tests/wine/expected,
#    whose specimen is titled "CLI 標本" (the only difference is that title, in the report's second line).
#    The same with the 32-bit specimen, read through the unpacked msghook32.dll and vantor-host32.exe.
title='Package 標本'
LC_ALL=C sed '2s/^"CLI /"Package /' "$expected/specimen_tab.txt" >"$work/expected.txt"
for program in "$specimen" "$(dirname "$specimen")/specimen32.exe"; do
    wine "$program" --title "$title" </dev/null >/dev/null 2>&1 &
    specimen_pid=$!
    wait_for_window "$title"
    wine "$dir/vantor-cli.exe" capture --title "$title" </dev/null >"$work/report.txt" 2>"$work/report.err"
    rc=$?
    [ "$rc" -eq 0 ] || fail "vantor-cli capture of $(basename "$program"): exit code $rc ($(head -c 300 "$work/report.err"))"
    if ! cmp -s "$work/expected.txt" "$work/report.txt"; then
        fail "the unpacked vantor-cli's report of $(basename "$program") differs from specimen_tab.txt (< expected, > actual)"
        diff <(iconv -f CP932 -t UTF-8 "$work/expected.txt") <(iconv -f CP932 -t UTF-8 "$work/report.txt" 2>&1) | head -n 20
    fi
    kill "$specimen_pid" 2>/dev/null
    wait "$specimen_pid" 2>/dev/null
done

# 5. vantor.exe from the unpacked folder, ended through its File menu ("ファイル(&F)", "終了(&X)"): the
#    caption clicked and the X input focus given to it, then Alt+F and X.
wine "$dir/vantor.exe" </dev/null >/dev/null 2>&1 &
vantor_pid=$!
main=
for ((i = 0; i < 150; i++)); do
    main=$(xdotool search --onlyvisible --name '^Vantor$' 2>/dev/null | head -n 1)
    [ -n "$main" ] && break
    sleep 0.1
done
if [ -z "$main" ]; then
    fail "the unpacked vantor.exe showed no window titled Vantor"
else
    sleep 0.5
    xdotool mousemove --window "$main" 200 8 click 1 sleep 0.3 windowfocus "$main" sleep 0.3 key --delay 150 alt+f x
fi
for ((i = 0; i < 100; i++)); do
    kill -0 "$vantor_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$vantor_pid" 2>/dev/null; then
    fail "vantor.exe did not end through its File menu"
    kill "$vantor_pid" 2>/dev/null
fi
wait "$vantor_pid"
rc=$?
[ "$rc" -eq 0 ] || fail "vantor.exe ended with exit code $rc"
grep -q '^WindowSize=' "$dir/vantor.ini" 2>/dev/null || fail "vantor.exe wrote no vantor.ini into its folder"
# The pointer leaves the place where the next test's windows open.
xdotool mousemove 1270 1010 2>/dev/null

echo "package test: $failures failure(s)"
[ "$failures" -eq 0 ]
