#!/usr/bin/env bash
# Mutation testing: puts one realistic fault at a time into the code, builds,
# runs the tests and counts the faults no test noticed.
#
# Usage: scripts/mutate.sh [-B BUILD] [-t SECONDS] [-j JOBS] [-a] [-k] [-n] MUTANTS...
#   -B  an existing build directory, built incrementally (default: build)
#   -t  time limit per mutant for the tests (default: 900); running out of
#       time counts as killed, as a hang is a fault the suite found
#   -j  parallel test jobs of ctest (default: 2)
#   -a  ignore the files' "suites:" lines: build everything and run every
#       unit and integration test (slow; the way to confirm a survivor)
#   -k  keep going after a mutant that does not build (default: stop, as it
#       means the list has gone stale)
#   -n  only check that every entry's text occurs once; build and run nothing
#
# A mutants file holds entries separated by blank lines:
#
#   # a comment
#   suites: test_unit_ipslan test_integration_routersim
#
#   file: ipslan/src/records.cpp
#   from: c.bytes(r.netmask);
#   to:   c.bytes(r.gateway);
#   why:  netmask and gateway swapped in the route's byte form
#
# "from" is exact text that must occur exactly once in the file (blanks after
# the colon are not part of it), or with "nth: N" at least N times, the Nth
# being replaced; "to" replaces it. "suites:" names test programs
# (build/tests/<name>): the mutants after it build only those and run them
# directly, each stopping at its first failure (faster than ctest, which
# starts a process per test), until the next "suites:". Without it a mutant
# builds everything and runs ctest over the unit and integration labels. An
# entry with "equivalent: REASON" is listed but not run or counted: the
# change cannot alter behaviour, for that reason.
#
# Every file is restored after its mutant, also when the run is interrupted.
# The script changes files in the checkout it is in: run it in a worktree of
# your own, with no uncommitted changes to the files it mutates.
set -uo pipefail
cd "$(dirname "$0")/.."

build=build
limit=900
jobs=2
all=0
keep_going=0
check_only=0
while getopts "B:t:j:akn" opt; do
    case $opt in
    B) build=$OPTARG ;;
    t) limit=$OPTARG ;;
    j) jobs=$OPTARG ;;
    a) all=1 ;;
    k) keep_going=1 ;;
    n) check_only=1 ;;
    *)
        sed -n '2,14p' "$0" >&2
        exit 2
        ;;
    esac
done
shift $((OPTIND - 1))
if [ $# -eq 0 ]; then
    sed -n '2,14p' "$0" >&2
    exit 2
fi
if [ "$check_only" -eq 0 ] && [ ! -f "$build/CMakeCache.txt" ]; then
    echo "mutate: $build is not a configured build directory" >&2
    exit 2
fi

backup=$(mktemp)
log=$(mktemp)
mutated=""
restore() {
    if [ -n "$mutated" ]; then
        # Written, not copied with its old time, so the next build compiles
        # the original again.
        cat "$backup" >"$mutated"
        mutated=""
    fi
}
trap 'restore; rm -f "$backup" "$log"' EXIT
trap 'restore; echo "mutate: interrupted, files restored" >&2; exit 130' INT TERM

killed=0
survived=0
stillborn=0
equivalent=0
survivors=()
number=0

# The named test programs one after the other, each stopping at its first
# failure; without names, ctest over the unit and integration labels.
run_tests() {
    if [ $# -eq 0 ]; then
        timeout "$limit" ctest --test-dir "$build" -L '^(unit|integration)$' -j "$jobs" \
            --timeout 120 --stop-on-failure
        return
    fi
    local deadline=$((SECONDS + limit)) program
    for program in "$@"; do
        if [ $((deadline - SECONDS)) -le 0 ] ||
            ! QT_QPA_PLATFORM=offscreen timeout $((deadline - SECONDS)) \
                "$build/tests/$program" --gtest_brief=1 --gtest_fail_fast; then
            [ $((deadline - SECONDS)) -gt 0 ] || echo "timed out"
            return 1
        fi
    done
}

# Runs the entry held in the globals below; prints one line.
run_entry() {
    local label="$file: $from"
    number=$((number + 1))
    if [ -n "$equivalent_reason" ]; then
        equivalent=$((equivalent + 1))
        echo "[$number] EQUIVALENT $label ($equivalent_reason)"
        return
    fi
    if [ ! -f "$file" ]; then
        echo "mutate: $source: no file $file" >&2
        exit 2
    fi
    local content
    IFS= read -r -d '' content <"$file"
    # Everything before the occurrence to replace, and the text from it on.
    local before="" rest=$content i
    for ((i = 1; i < ${nth:-1}; i++)); do
        if [ "${rest#*"$from"}" = "$rest" ]; then
            break
        fi
        before+="${rest%%"$from"*}$from"
        rest=${rest#*"$from"}
    done
    local after=${rest#*"$from"}
    if [ "$after" = "$rest" ] || { [ -z "$nth" ] && [ "${after#*"$from"}" != "$after" ]; }; then
        echo "mutate: $source: the text must occur ${nth:+at least $nth times}${nth:-exactly once} in $file: $from" >&2
        exit 2
    fi
    if [ "$check_only" -eq 1 ]; then
        return
    fi
    cp "$file" "$backup"
    mutated=$file
    printf '%s' "$before${rest/"$from"/"$to"}" >"$file"

    local targets=()
    if [ "$all" -eq 0 ] && [ -n "$suites" ]; then
        read -r -a targets <<<"$suites"
    fi
    local started=$SECONDS
    if ! cmake --build "$build" ${targets[@]+--target "${targets[@]}"} >"$log" 2>&1; then
        restore
        stillborn=$((stillborn + 1))
        echo "[$number] DOES NOT BUILD $label"
        grep -m 3 -E "error" "$log" | sed 's/^/    /'
        if [ "$keep_going" -eq 0 ]; then
            exit 1
        fi
        return
    fi
    if run_tests "${targets[@]}" >"$log" 2>&1; then
        survived=$((survived + 1))
        survivors+=("$label -> $to${why:+  ($why)}")
        echo "[$number] SURVIVED $label -> $to ($((SECONDS - started)) s)"
    else
        killed=$((killed + 1))
        local by
        by=$(grep -m 1 -E "\*\*\*(Failed|Timeout|Exception)|^\[  FAILED  \] [^0-9]|^timed out" "$log" |
            sed -E 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: //; s/^\[  FAILED  \] //')
        echo "[$number] killed $label ($((SECONDS - started)) s) ${by:+by $by}"
    fi
    restore
}

for source in "$@"; do
    suites=""
    file=""
    from=""
    to=""
    why=""
    nth=""
    equivalent_reason=""
    flush() {
        if [ -n "$from" ]; then
            run_entry
        fi
        from=""
        to=""
        why=""
        nth=""
        equivalent_reason=""
    }
    while IFS= read -r line || [ -n "$line" ]; do
        case $line in
        "#"*) ;;
        "") flush ;;
        suites:*)
            flush
            suites=$(echo "${line#suites:}" | xargs)
            ;;
        file:*) file=$(echo "${line#file:}" | xargs) ;;
        from:*) from=$(sed -E 's/^from:[[:space:]]*//' <<<"$line") ;;
        to:*) to=$(sed -E 's/^to:[[:space:]]*//' <<<"$line") ;;
        why:*) why=$(sed -E 's/^why:[[:space:]]*//' <<<"$line") ;;
        nth:*) nth=$(echo "${line#nth:}" | xargs) ;;
        equivalent:*) equivalent_reason=$(sed -E 's/^equivalent:[[:space:]]*//' <<<"$line") ;;
        *)
            echo "mutate: $source: cannot read: $line" >&2
            exit 2
            ;;
        esac
    done <"$source"
    flush
done

if [ "$check_only" -eq 1 ]; then
    echo "$number entries, every text found once"
    exit 0
fi
# Leave the build as the sources are.
cmake --build "$build" >/dev/null 2>&1 || echo "mutate: the final rebuild failed" >&2

counted=$((killed + survived))
echo
echo "killed $killed, survived $survived, not built $stillborn, equivalent $equivalent"
for s in ${survivors[@]+"${survivors[@]}"}; do
    echo "  survived: $s"
done
if [ "$counted" -gt 0 ]; then
    echo "score: $((100 * killed / counted))% ($killed of $counted)"
fi
