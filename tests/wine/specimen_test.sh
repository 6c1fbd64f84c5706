#!/usr/bin/env bash
# Checks the specimen application's command line under Wine, through the harness (so it also checks that
# `harness.sh run` passes on exit codes): a bad option ends with code 2, --title names the window (two
# specimens side by side), --exit-after ends the process on time with code 0, also after --hang-after has
# made its user-interface thread stop answering; and a process the program leaves behind does not hold
# `run` (nor so the test) until it ends.
#   specimen_test.sh HARNESS BUILD_DIR SPECIMEN_EXE
# Runs as a ctest test inside the Wine fixture (the environment is started already).
set -u
harness=$1
build_dir=$2
specimen=$3

# shellcheck source=tests/wine/test_common.sh
. "$(dirname "$0")/test_common.sh"

if [ ! -f "$specimen" ]; then
    echo "FAIL: $specimen does not exist"
    exit 1
fi
join_wine_environment

# Prints the number of windows whose name is exactly $1, after waiting up to $2 seconds for at least one
# (while the background job $3, when given, still runs).
count_windows() {
    local name=$1 seconds=$2 job=${3:-} deadline ids
    deadline=$(($(date +%s) + seconds))
    while :; do
        ids=$(xdotool search --name "^$name\$" 2>/dev/null)
        [ -n "$ids" ] && break
        [ "$(date +%s)" -lt "$deadline" ] || break
        [ -z "$job" ] || kill -0 "$job" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$ids" ]; then echo 0; else wc -l <<<"$ids"; fi
}

# Waits up to $2 seconds for background job PID $1 and checks it ended with code 0.
expect_exit_zero() {
    local pid=$1 seconds=$2 what=$3 i rc
    for ((i = 0; i < seconds * 10; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        fail "$what still runs after $seconds s"
        return
    fi
    wait "$pid"
    rc=$?
    [ "$rc" -eq 0 ] || fail "$what ended with code $rc, expected 0"
}

# 1. An unknown option, and an option without its number, end the program with code 2.
bash "$harness" run "$build_dir" "$specimen" --no-such-option
rc=$?
[ "$rc" -eq 2 ] || fail "unknown option: exit code $rc, expected 2"
bash "$harness" run "$build_dir" "$specimen" --rows
rc=$?
[ "$rc" -eq 2 ] || fail "--rows without a value: exit code $rc, expected 2"
bash "$harness" run "$build_dir" "$specimen" --rows -3
rc=$?
[ "$rc" -eq 2 ] || fail "--rows -3: exit code $rc, expected 2"
# The list view has the default three columns or four; no other count.
for columns in 2 5 x; do
    bash "$harness" run "$build_dir" "$specimen" --columns "$columns"
    rc=$?
    [ "$rc" -eq 2 ] || fail "--columns $columns: exit code $rc, expected 2"
done

# 2. Two specimens at once, told apart by --title; both end by themselves through --exit-after.
first="Specimen test A $$"
second="Specimen test B $$ 日本語"
started=$(date +%s)
bash "$harness" run "$build_dir" "$specimen" --title "$first" --exit-after 2500 &
first_pid=$!
bash "$harness" run "$build_dir" "$specimen" --title "$second" --rows 300 --exit-after 2500 &
second_pid=$!
n=$(count_windows "$first" 10 "$first_pid")
[ "$n" -eq 1 ] || fail "expected one window titled '$first', found $n"
n=$(count_windows "$second" 10 "$second_pid")
[ "$n" -eq 1 ] || fail "expected one window titled '$second', found $n"
expect_exit_zero "$first_pid" 15 "specimen '$first'"
expect_exit_zero "$second_pid" 15 "specimen '$second'"
elapsed=$(($(date +%s) - started))
[ "$elapsed" -ge 2 ] || fail "--exit-after 2500 ended the specimens after only $elapsed s"
n=$(count_windows "$first" 0)
[ "$n" -eq 0 ] || fail "the window '$first' is still there after its process ended"

# 3. A specimen that hangs after 300 ms is still ended by --exit-after.
hung="Specimen test hung $$"
bash "$harness" run "$build_dir" "$specimen" --title "$hung" --hang-after 300 --exit-after 2000 &
hung_pid=$!
n=$(count_windows "$hung" 10 "$hung_pid")
[ "$n" -eq 1 ] || fail "expected one window titled '$hung', found $n"
expect_exit_zero "$hung_pid" 15 "hanging specimen"

# 4. A program that leaves a process behind: `run` returns when the program ends, although the process it
# started still holds what was the program's output (here cmd's `start` leaves a specimen running).
left="Specimen test left behind $$"
windows_path="Z:${specimen//\//\\}"
started=$(date +%s)
bash "$harness" run "$build_dir" cmd /c start /b "" "$windows_path" --title "$left" --exit-after 6000 | cat
elapsed=$(($(date +%s) - started))
n=$(count_windows "$left" 10)
[ "$n" -eq 1 ] || fail "expected the left-behind specimen '$left' to run, found $n windows"
[ "$elapsed" -le 4 ] || fail "run returned only after $elapsed s: the left-behind process held its output"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all specimen checks passed"
