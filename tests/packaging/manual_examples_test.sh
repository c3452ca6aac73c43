#!/usr/bin/env bash
# Every tolvaro-cli command that the manual pages (as `man` renders them) and
# the README show is accepted as typed: pasted into a shell it never ends in a
# usage error. Placeholders such as ROUTER are taken literally. No router
# answers (discovery looks at an unused loopback port and every address
# outside 127.0.0.0/8 becomes 127.0.0.1), so the commands fail for want of
# one, quickly and without a datagram leaving this computer.
# Usage: manual_examples_test.sh TOLVARO_CLI MAN_DIR README
set -euo pipefail
cli=$1 mandir=$2 readme=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/run"
ln -s "$(realpath "$cli")" "$work/bin/tolvaro-cli"

# The EXAMPLES sections of the pages, one command per line.
from_manual() {
    local page
    for page in "$mandir"/*.1.gz; do
        MANWIDTH=250 man -l "$page" 2>/dev/null | sed 's/.\x08//g' |
            awk '/^[A-Z]/ { inside = ($0 == "EXAMPLES"); next } inside' |
            grep -oE '([A-Z_]+=[^ ]+ )*tolvaro-cli( .*)?$' | sed -E 's/\.$//' || true
    done
}

# Code spans and code blocks of the README that run the program with arguments.
from_readme() {
    grep -oE '`(build/src/)?tolvaro-cli [^`]+`' "$readme" | tr -d '`' || true
    awk '/^```/ { block = !block; next } block' "$readme" |
        grep -E '^([A-Z_]+=[^ ]+ )*(build/src/)?tolvaro-cli ' | sed -E 's/[[:space:]]+#.*$//' || true
}

mapfile -t examples < <(from_manual; from_readme)
if ((${#examples[@]} < 5)); then
    echo "only ${#examples[@]} examples found; is the manual built?" >&2
    exit 1
fi

export PATH="$work/bin:$PATH" HOME="$work/home" XDG_DATA_HOME="$work/data"
export XDG_CONFIG_HOME="$work/config" IPSLAN_DISCOVERY=loopback IPSLAN_DISCOVERY_PORT=9
export IPSLAN_DISCOVERY_WINDOW_MS=10 IPSLAN_SNMP_TIMEOUT_MS=20 IPSLAN_SNMP_RETRIES=0
unset TOLVARO_PASSWORD
failed=0
for example in "${examples[@]}"; do
    command=$(sed -E -e 's#build/src/tolvaro-cli#tolvaro-cli#' \
        -e 's/\b(12[0-68-9]|1[01][0-9]|[1-9]?[0-9]|1[3-9][0-9]|2[0-5][0-9])(\.[0-9]{1,3}){3}\b/127.0.0.1/g' \
        <<<"$example")
    status=0
    (cd "$work/run" && timeout 30 bash -c "$command" </dev/null >/dev/null 2>"$work/stderr") ||
        status=$?
    if grep -q 'Try tolvaro-cli --help' "$work/stderr" || ((status == 124)); then
        echo "FAILS AS TYPED: $example" >&2
        sed 's/^/    /' "$work/stderr" >&2
        failed=1
    else
        echo "ok: $example (status $status)"
    fi
done
exit "$failed"
