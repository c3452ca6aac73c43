#!/usr/bin/env bash
# Tab completion of tolvaro-cli as bash runs it: commands from the program's
# help, and for a command only the options that command and the program take
# (backup's --to is no option of save).
# Usage: completion_test.sh TOLVARO_CLI COMPLETION_SCRIPT
set -uo pipefail
cli=$(realpath "$1")
# shellcheck source=/dev/null
source "$2"

complete_words() {
    COMP_WORDS=("$cli" "$@")
    COMP_CWORD=$#
    COMPREPLY=()
    _tolvaro_cli
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}

failed=0
expect() {
    local what=$1 got=$2 want=$3
    if [[ $got != "$want" ]]; then
        echo "$what: got '$got', want '$want'" >&2
        failed=1
    fi
}
has() {
    [[ " $2 " == *" $3 "* ]] || { echo "$1: '$3' missing from '$2'" >&2; failed=1; }
}
lacks() {
    [[ " $2 " != *" $3 "* ]] || { echo "$1: '$3' offered in '$2'" >&2; failed=1; }
}

expect "command" "$(complete_words sa)" "save "
save=$(complete_words save --)
has "save" "$save" --password-file
lacks "save" "$save" --to
lacks "save" "$save" --inventory
backup=$(complete_words backup --)
has "backup" "$backup" --to
has "backup" "$backup" --inventory
has "backup" "$backup" --password-file
exit "$failed"
