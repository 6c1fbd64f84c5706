#!/usr/bin/env bash
# The hostile test (hostile_test.cpp): starts the specimen under WINEDEBUG=+seh, runs the test program
# against it, and fails when the specimen, the target whose memory msghook.dll writes into, raised a fault
# (an exception code of error severity, 0xCxxxxxxx: access violation, stack overflow, ...) or ended early.
#   hostile_test.sh HARNESS BUILD_DIR TEST_EXE SPECIMEN_EXE
# Runs as a ctest test inside the Wine fixture (the environment is started already).
set -u
harness=$1
build_dir=$2
test_exe=$3
specimen=$4

eval "$(bash "$harness" env "$build_dir")" || {
    echo "FAIL: the Wine environment is not started"
    exit 1
}
work=$build_dir/hostile-test
rm -rf "$work"
mkdir -p "$work"
WINEDEBUG=+seh wine "$specimen" --title "Vantor Specimen Hostile" >/dev/null 2>"$work/specimen-seh.log" &
specimen_pid=$!

wine "$test_exe" >"$work/test.log" 2>&1
rc=$?
cat "$work/test.log"

failures=0
if ! kill -0 "$specimen_pid" 2>/dev/null; then
    echo "FAIL: the specimen ended during the attack"
    failures=$((failures + 1))
fi
kill "$specimen_pid" 2>/dev/null
wait "$specimen_pid" 2>/dev/null
faults=$(grep -c -E 'dispatch_exception code=c[0-9a-f]{7}' "$work/specimen-seh.log")
echo "exceptions of error severity in the specimen: $faults"
if [ "$faults" -ne 0 ]; then
    grep -E 'dispatch_exception code=c[0-9a-f]{7}' "$work/specimen-seh.log" | head -n 5
    echo "FAIL: the specimen faulted"
    failures=$((failures + 1))
fi
[ "$rc" -eq 0 ] || failures=$((failures + 1))
[ "$failures" -eq 0 ]
