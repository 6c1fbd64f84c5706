# Shared by the Wine shell tests (sourced, not run): counting failures, joining the Wine environment that the
# ctest fixture started for BUILD_DIR, waiting for a window to show, and the loader for each program
# (loader/wine). Expects $harness and $build_dir.

PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/loader:$PATH"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Takes over the started environment's variables (display, prefix, server); ends the test when none runs.
join_wine_environment() {
    eval "$(bash "$harness" env "$build_dir")" || {
        echo "FAIL: the Wine environment is not started"
        exit 1
    }
}

# Waits up to 30 s for a visible window titled exactly TITLE; true when it showed.
wait_for_window() {
    local i
    for ((i = 0; i < 300; i++)); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}
