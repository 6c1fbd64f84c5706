#!/usr/bin/env bash
# Runs Windows programs of one build directory under Wine, each run in its own environment:
#   harness.sh start BUILD_DIR                  start a private Xvfb display and a persistent wineserver
#   harness.sh stop BUILD_DIR                   end every process that start began (by PID), also on failure
#   harness.sh run BUILD_DIR PROGRAM [ARGS...]  run `wine PROGRAM ARGS` there and pass on its exit code and
#                                               output; starts (and afterwards stops) the environment when
#                                               needed
#   harness.sh env BUILD_DIR                    print the environment of a started run as shell assignments
#
# The Wine prefix BUILD_DIR/wineprefix is created once and kept (creating one takes 10 to 30 s); the state of
# a started run (display number and PIDs) is kept in BUILD_DIR/wine-state, logs in BUILD_DIR/wine-logs.
# ctest runs `start` and `stop` as fixture set-up and clean-up around the tests under Wine.
set -u

PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/loader:$PATH"

usage() {
    echo "usage: $0 start|stop|env BUILD_DIR | run BUILD_DIR PROGRAM [ARGS...]" >&2
    exit 2
}

[ $# -ge 2 ] || usage
command=$1
build_dir=$(realpath -m "$2")
shift 2

state_file=$build_dir/wine-state
lock_file=$build_dir/wine-harness.lock
log_dir=$build_dir/wine-logs
prefix=$build_dir/wineprefix
ready_mark=$prefix/.vantor-prefix-ready

export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8
unset WINESERVER WINELOADER

log() { echo "harness: $*" >&2; }

# True when PID has not ended. A zombie has ended: its parent (often init, which reaps slowly here) has
# only not collected it yet.
running_pid() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}

# True when PID runs and its command name starts with NAME (guards against a reused PID).
alive() {
    local pid=$1 name=$2 comm
    [ -n "$pid" ] && running_pid "$pid" || return 1
    comm=$(cat "/proc/$pid/comm" 2>/dev/null) || return 1
    case $comm in "$name"*) return 0 ;; *) return 1 ;; esac
}

# Waits up to SECONDS for PID to end; true when it did.
wait_gone() {
    local pid=$1 seconds=$2 i
    for ((i = 0; i < seconds * 10; i++)); do
        running_pid "$pid" || return 0
        sleep 0.1
    done
    ! running_pid "$pid"
}

# Ends PID (TERM, then KILL after a grace period) if it is still the process named NAME.
end_process() {
    local pid=$1 name=$2
    alive "$pid" "$name" || return 0
    kill -TERM "$pid" 2>/dev/null
    wait_gone "$pid" 5 && return 0
    log "$name ($pid) did not end on TERM; killing it"
    kill -KILL "$pid" 2>/dev/null
    wait_gone "$pid" 5
}

DISPLAY_NUM=
XVFB_PID=
WINESERVER_PID=
read_state() {
    DISPLAY_NUM=
    XVFB_PID=
    WINESERVER_PID=
    # shellcheck disable=SC1090
    [ -f "$state_file" ] && . "$state_file"
}

write_state() {
    printf 'DISPLAY_NUM=%s\nXVFB_PID=%s\nWINESERVER_PID=%s\n' "$DISPLAY_NUM" "$XVFB_PID" "$WINESERVER_PID" \
        >"$state_file.tmp" && mv "$state_file.tmp" "$state_file"
}

running() {
    read_state
    alive "$XVFB_PID" Xvfb && alive "$WINESERVER_PID" wineserver
}

# True once the server PID listens: it works in its server directory and has made its socket there.
server_ready() {
    local dir
    dir=$(readlink "/proc/$1/cwd" 2>/dev/null) || return 1
    case $dir in */server-*) [ -S "$dir/socket" ] ;; *) return 1 ;; esac
}

start_xvfb() {
    local display_file=$build_dir/wine-display i
    rm -f "$display_file"
    # -displayfd lets Xvfb take the first free display number itself, so two runs never race for one.
    # Descriptor 9 (the lock) and the caller's output must not stay open in the long-lived server.
    setsid Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp -ac 8>"$display_file" \
        </dev/null >"$log_dir/xvfb.log" 2>&1 9>&- &
    XVFB_PID=$!
    write_state
    for ((i = 0; i < 100; i++)); do
        DISPLAY_NUM=$(tr -dc 0-9 <"$display_file" 2>/dev/null)
        [ -n "$DISPLAY_NUM" ] && break
        # Only a process that has gone ends the wait: right after the fork it may not be named Xvfb yet.
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$display_file"
    if [ -z "$DISPLAY_NUM" ]; then
        log "Xvfb did not start (see $log_dir/xvfb.log)"
        return 1
    fi
    write_state
    export DISPLAY=:$DISPLAY_NUM
}

# True when the prefix was made and can start the programs this machine's Wine can run: a prefix made
# before wine32 was installed cannot start 32-bit programs (it lacks syswow64), so it is made anew once.
prefix_ready() {
    [ -f "$ready_mark" ] || return 1
    [ ! -x /usr/lib/wine/wine ] || [ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]
}

# Creates the prefix once: wineboot, window-manager-free windows (no 2 s wait on every window destroy) and
# Japanese fonts in place of the Windows ones. Runs on a short-lived server so the registry is saved.
make_prefix() {
    prefix_ready && return 0
    log "creating Wine prefix $prefix"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    timeout 300 wineboot -i </dev/null >>"$log_dir/wine.log" 2>&1 9>&- || {
        log "wineboot failed (see $log_dir/wine.log)"
        return 1
    }
    local key='HKCU\Software\Wine\Fonts\Replacements' name
    timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        </dev/null >>"$log_dir/wine.log" 2>&1 9>&- || return 1
    for name in 'ＭＳ Ｐゴシック' 'ＭＳ ゴシック' 'MS UI Gothic' 'MS Shell Dlg' 'Tahoma'; do
        timeout 60 wine reg add "$key" /v "$name" /d IPAPGothic /f </dev/null >>"$log_dir/wine.log" 2>&1 9>&-
    done
    # Let the server write the registry and exit before the persistent one takes over.
    timeout 60 wineserver -w
    touch "$ready_mark"
}

start_wineserver() {
    local i
    mkdir -p "$prefix"
    # An old server of this prefix would make -p a no-op.
    wineserver -k 2>/dev/null
    timeout 30 wineserver -w
    setsid wineserver -f -p </dev/null >>"$log_dir/wineserver.log" 2>&1 9>&- &
    WINESERVER_PID=$!
    write_state
    for ((i = 0; i < 100; i++)); do
        server_ready "$WINESERVER_PID" && break
        sleep 0.1
    done
    # The server leaves its directory for a moment now and then (it changes into the prefix to read or save
    # the registry), so one look at its working directory can miss it: it counts as started once ready was
    # seen, as long as it is alive.
    if ! alive "$WINESERVER_PID" wineserver || [ "$i" -ge 100 ]; then
        log "wineserver did not start (see $log_dir/wineserver.log)"
        return 1
    fi
    # Start Wine's own background processes now, with the log as their output, so that they never hold the
    # output of a test (ctest waits until every holder of a test's output has closed it).
    timeout 60 wine cmd /c exit </dev/null >>"$log_dir/wine.log" 2>&1 9>&-
}

# PIDs of the Wine processes of this prefix: Windows programs (argv[0] a drive path) and Wine's own loaders.
prefix_pids() {
    local env pid argv0
    # One grep over all environments: a process per PID would take seconds on a busy machine.
    for env in $(grep -lzxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null); do
        pid=${env#/proc/}
        pid=${pid%/environ}
        argv0=
        { IFS= read -r -d '' argv0 <"/proc/$pid/cmdline"; } 2>/dev/null # the process may be gone already
        case $argv0 in [A-Za-z]:\\* | */wine* | wine*) echo "$pid" ;; esac
    done
}

do_stop() {
    local pids pid
    read_state
    if [ ! -f "$state_file" ]; then
        return 0
    fi
    pids=$(prefix_pids)
    if alive "$WINESERVER_PID" wineserver; then
        # -k ends every Wine process of the prefix, then the server itself.
        DISPLAY=:$DISPLAY_NUM wineserver -k 2>/dev/null
    fi
    # The display may go while the server winds down: its clients are gone already.
    alive "$XVFB_PID" Xvfb && kill -TERM "$XVFB_PID" 2>/dev/null
    if alive "$WINESERVER_PID" wineserver; then
        wait_gone "$WINESERVER_PID" 10 || end_process "$WINESERVER_PID" wineserver
    fi
    end_process "$XVFB_PID" Xvfb
    # The server kills its clients as it goes; wait until they are gone too (or end them).
    for pid in $pids; do
        wait_gone "$pid" 5 || kill -KILL "$pid" 2>/dev/null
    done
    if alive "$WINESERVER_PID" wineserver || alive "$XVFB_PID" Xvfb; then
        log "could not end every process (wineserver $WINESERVER_PID, Xvfb $XVFB_PID)"
        return 1
    fi
    rm -f "$state_file"
}

do_start() {
    if running; then
        return 0
    fi
    # Leftovers of a run that ended without stop.
    do_stop || return 1
    if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
        log "locale ja_JP.UTF-8 is missing: run scripts/setup"
        return 1
    fi
    start_xvfb && make_prefix && start_wineserver && return 0
    do_stop
    return 1
}

with_lock() {
    mkdir -p "$build_dir" "$log_dir"
    exec 9>"$lock_file"
    flock 9
    "$@"
    local rc=$?
    exec 9>&-
    return $rc
}

case $command in
start)
    with_lock do_start || exit 1
    read_state
    log "running on display :$DISPLAY_NUM (Xvfb $XVFB_PID, wineserver $WINESERVER_PID)"
    ;;
stop)
    with_lock do_stop || exit 1
    ;;
env)
    running || { log "not started"; exit 1; }
    printf 'export DISPLAY=:%s WINEPREFIX=%q WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES=%q LC_ALL=%s\n' \
        "$DISPLAY_NUM" "$WINEPREFIX" "$WINEDLLOVERRIDES" "$LC_ALL"
    ;;
run)
    [ $# -ge 1 ] || usage
    started_here=0
    if ! running; then
        with_lock do_start || exit 1
        started_here=1
    fi
    read_state
    export DISPLAY=:$DISPLAY_NUM
    # The program writes into files that tail passes on while it runs: a process it leaves behind (started
    # by it, inheriting its output) then holds a file, not the caller's output. ctest waits for every holder
    # of a test's output to close it, so a stray process would otherwise hold the test until its time-out.
    out=$(mktemp "$log_dir/run-out.XXXXXX") && err=$(mktemp "$log_dir/run-err.XXXXXX") || exit 1
    wine "$@" </dev/null >"$out" 2>"$err" &
    wine_pid=$!
    tail -n +1 -s 0.1 --pid="$wine_pid" -f "$out" &
    tail_out=$!
    tail -n +1 -s 0.1 --pid="$wine_pid" -f "$err" >&2 &
    tail_err=$!
    trap 'kill "$wine_pid" "$tail_out" "$tail_err" 2>/dev/null; exit 143' TERM INT
    wait "$wine_pid"
    rc=$?
    wait "$tail_out" "$tail_err"
    trap - TERM INT
    rm -f "$out" "$err"
    if [ $started_here = 1 ]; then
        with_lock do_stop
    fi
    exit $rc
    ;;
*)
    usage
    ;;
esac
