#!/usr/bin/env bash
# The README's vantor-cli section, run: every ```console block there is a transcript, run here against the
# specimen and compared with what the block shows.
#   "$ COMMAND"            a command, run by bash in a directory of the test's own; `vantor-cli` and
#                          `specimen` are the programs under Wine; $WINDOW and $STATUS_BAR are the handles of
#                          the block's specimen window and of its status bar (control id 1014)
#   "# with: specimen ARGS"  the block runs against a specimen of its own started with ARGS (one line per
#                          specimen, its window shown before the block runs); other blocks share one specimen
#                          started without arguments ("Vantor Specimen")
#   any other line         what the commands print (standard output and error together, CR left out, window
#                          handles and timestamps taken as any), "..." standing for any text (also lines)
# Also: every option, format and encoding that `vantor-cli --help` names, and each of its exit codes, appear
# in the section, and the section has examples of every command.
#   cli_readme_test.sh HARNESS BUILD_DIR CLI_EXE SPECIMEN_EXE README
set -u
harness=$1
build_dir=$2
cli_exe=$3
specimen_exe=$4
readme=$5

# shellcheck source=tests/wine/test_common.sh
. "$(dirname "$0")/test_common.sh"

join_wine_environment

work=$build_dir/cli-readme-test
rm -rf "$work"
mkdir -p "$work/cli"
cp "$cli_exe" "$(dirname "$cli_exe")/msghook.dll" "$work/cli/"
cli=$work/cli/vantor-cli.exe

vantor-cli() { wine "$cli" "$@" </dev/null; }

section=$(awk '/^## vantor-cli/ { on = 1; print; next } on && /^## / { exit } on' "$readme")
[ -n "$section" ] || { echo "FAIL: the README has no '## vantor-cli' section"; exit 1; }

# The windows titled exactly $1 that are shown, one handle a line.
shown() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }

# start_specimen ARGS...: a specimen started in the background; returns once one more window of its title
# shows; its PID is added to specimen_pids.
specimen_pids=()
specimen_titles=()
start_specimen() {
    local title='Vantor Specimen' i j before
    for ((i = 1; i < $#; i++)); do
        [ "${!i}" = --title ] && { j=$((i + 1)); title=${!j}; }
    done
    before=$(shown "$title" | wc -l)
    # Started directly (not through a shell function), so that $! is the specimen's own process.
    wine "$specimen_exe" "$@" </dev/null >/dev/null 2>&1 &
    specimen_pids+=($!)
    specimen_titles+=("$title")
    for ((i = 0; i < 300; i++)); do
        [ "$(shown "$title" | wc -l)" -gt "$before" ] && { started_title=$title; return 0; }
        sleep 0.1
    done
    fail "the specimen $* did not show its window"
    return 1
}
# Ends the started specimens and waits until their windows have gone: a program started while Wine still
# tears a killed one down may fail to start at all (exit code 1, nothing printed).
end_specimens() {
    local pid title i
    for pid in "${specimen_pids[@]}"; do
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    for title in "${specimen_titles[@]}"; do
        [ "$title" = 'Vantor Specimen' ] && continue # the shared one's title stays
        for ((i = 0; i < 50; i++)); do
            [ -z "$(shown "$title")" ] && break
            sleep 0.1
        done
    done
    specimen_pids=()
    specimen_titles=()
}
trap end_specimens EXIT

# Sets WINDOW and STATUS_BAR for the specimen titled $1 from its JSON document.
set_handles() {
    local document
    document=$(vantor-cli capture --title "$1" --format json 2>/dev/null)
    WINDOW=$(grep -o '"control_id":0,"handle":"0x[0-9A-F]*","title":"'"$1"'"}}$' <<<"$document" | grep -o '0x[0-9A-F]*')
    STATUS_BAR=$(grep -o '"class":"msctls_statusbar32","control_id":1014,"handle":"0x[0-9A-F]*"' <<<"$document" |
        grep -o '0x[0-9A-F]*')
    [ -n "$WINDOW" ] && [ -n "$STATUS_BAR" ] || fail "no handles for the specimen '$1' in its document"
}

# Window handles and timestamps stand for any.
mask() {
    sed -E -e 's/0x[0-9A-F]{1,16}/0x<handle>/g' \
        -e 's/[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}/<time>/g'
}

# The block's text as a bash pattern: glob characters taken literally, "..." any text, a line "..." any lines
# (the last line end left out, as command substitution leaves it out of the output).
pattern_of() {
    local line pattern=''
    while IFS= read -r line; do
        if [ "$line" = ... ]; then
            pattern+='*'
            continue
        fi
        line=$(sed -e 's/[][\\*?]/\\&/g' -e 's/\.\.\./*/g' <<<"$line")
        pattern+=$line$'\n'
    done
    printf '%s' "$pattern"
}

# Runs the commands of a transcript in order in one shell (so that `echo $?` reports the command before),
# printing each as "$ COMMAND" followed by its output.
run_transcript() {
    local line rc=0
    cd "$work/run" || return
    set -o pipefail
    while IFS= read -r line <&3; do
        printf '$ %s\n' "$line"
        (exit "$rc")
        eval "$line" 2>&1 </dev/null | tr -d '\r' | sed -e '$a\'
        rc=${PIPESTATUS[0]}
    done 3< <(grep '^\$ ' <<<"$1" | cut -c 3-)
}

blocks=0
commands_seen=' '
shared_pids=()
block=''
in_block=false
while IFS= read -r line; do
    if ! $in_block; then
        [ "$line" = '```console' ] && { in_block=true; block=''; }
        continue
    fi
    if [ "$line" != '```' ]; then
        block+=$line$'\n'
        continue
    fi
    in_block=false
    blocks=$((blocks + 1))
    transcript=$(grep -v '^# with: ' <<<"$block")
    first=$(grep -m 1 '^\$ ' <<<"$transcript")
    grep -q -x -F '$ echo $?' <<<"$transcript" || fail "the README example '$first' shows no exit code (\$ echo \$?)"
    # The block's specimens.
    started_title='Vantor Specimen'
    withs=$(grep '^# with: specimen' <<<"$block" | sed 's/^# with: specimen *//')
    if [ -n "$withs" ]; then
        handles_set=false
        while IFS= read -r args; do
            arguments=()
            eval "arguments=($args)" # with the README's quoting
            start_specimen "${arguments[@]}"
            # The handles of the first, while its title is still its own.
            $handles_set || set_handles "$started_title"
            handles_set=true
        done <<<"$withs"
    elif [ -z "${shared_window:-}" ]; then
        start_specimen
        shared_pids=("${specimen_pids[@]}")
        specimen_pids=()
        set_handles 'Vantor Specimen'
        shared_window=$WINDOW shared_status_bar=$STATUS_BAR
    else
        WINDOW=$shared_window STATUS_BAR=$shared_status_bar
    fi
    rm -rf "$work/run"
    mkdir -p "$work/run"
    actual=$(run_transcript "$transcript" | mask)
    end_specimens
    wanted=$(mask <<<"$transcript")
    pattern=$(pattern_of <<<"$wanted")
    # shellcheck disable=SC2053 # matched as a pattern on purpose
    if [[ "$actual" != $pattern ]]; then
        fail "the README example '$first' printed something else (- README, + actual):"
        diff -u <(echo "$wanted") <(echo "$actual") | tail -n +3 | head -n 30
    fi
    for command in capture watch list --version --help; do
        grep -q -E "^\\\$ vantor-cli $command( |\$)" <<<"$transcript" && commands_seen+="$command "
    done
done <<<"$section"
specimen_pids=("${shared_pids[@]}")
end_specimens

echo "$blocks examples run"
[ "$blocks" -ge 10 ] || fail "the section has $blocks examples, expected at least 10"
for command in capture watch list --version --help; do
    [[ $commands_seen == *" $command "* ]] || fail "no example runs 'vantor-cli $command'"
done

# Every option, format and encoding of the usage text, and every exit code, in the section.
usage=$(vantor-cli --help | tr -d '\r')
for option in $(grep -o -E -- '--[a-z][a-z-]+' <<<"$usage" | sort -u); do
    grep -q -F -- "\`$option" <<<"$section" || fail "the README does not document $option"
done
for value in $(grep -o -E -- '--(format|encoding) [a-z0-9|-]+' <<<"$usage" | cut -d ' ' -f 2 | tr '|' '\n' | sort -u); do
    grep -q -F -- "\`$value\`" <<<"$section" || fail "the README does not document the value $value"
done
for code in $(grep -o -E '^  [0-9]+  ' <<<"$usage" | tr -d ' '); do
    grep -q -E "^\| $code \|" <<<"$section" || fail "the README's exit code table has no row for $code"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all README examples of vantor-cli passed"
