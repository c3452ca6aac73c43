#!/usr/bin/env bash
# The Ansible collection and the Prometheus metrics against simulated routers
# on loopback: the collection's sanity checks; the example playbook in check
# mode (writes nothing), applied (changed), applied again (no change); module
# argument errors; the metrics file checked by promtool and by value; the
# alert rules and their tests.
# Usage: scripts/contrib-check.sh [BUILD-DIR] [--bench]
#   --bench  then times 64 routers: the playbook with 16 forks against
#            tolvaro-cli apply --inventory alone (the README's figures).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/deps.sh contrib
build=$(realpath "${1:-build}")
bench=${2:-}
collection=$root/contrib/ansible/ansible_collections/karvel/tolvaro
routerd=$build/routersim/tolvaro-routerd
cli=$build/src/tolvaro-cli
export PATH="$build/src:$PATH"

work=$(mktemp -d)
pids=()
stop_routers() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    pids=()
}
trap 'stop_routers; rm -rf "$work"' EXIT
fail() {
    echo "contrib-check: $*" >&2
    exit 1
}

# What the tools and Ansible keep goes below $work. Discovery looks on
# loopback only, on a port of this run, so no other simulated router answers.
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export ANSIBLE_COLLECTIONS_PATH=$root/contrib/ansible ANSIBLE_LOCAL_TEMP=$work/ansible
export ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_PYTHON_INTERPRETER=/usr/bin/python3
export IPSLAN_DISCOVERY=loopback IPSLAN_DISCOVERY_PORT=$((20000 + $$ % 20000))
mkdir -p "$HOME"

# start_routers PREFIX COUNT: routers PREFIX.1 .. PREFIX.COUNT; the last of
# three gets a password. Each ends by itself after 10 minutes at the latest.
start_routers() {
    local i prefix=$1 count=$2
    for ((i = 1; i <= count; i++)); do
        local args=(--address "$prefix.$i" --name "Branch $i" --hardware "$(hardware "$prefix" "$i")"
                    --discovery-port "$IPSLAN_DISCOVERY_PORT" --restart-ms 300 --dial-delay-ms 500)
        [ "$count" -eq 3 ] && [ "$i" -eq 3 ] && args+=(--password Zq7-branch)
        timeout 600 "$routerd" "${args[@]}" >"$work/routerd-$prefix.$i.log" 2>&1 &
        pids+=($!)
    done
    # Each prints one line once it answers.
    for ((i = 0; i < 50; i++)); do
        [ "$(cat "$work"/routerd-"$prefix".*.log | grep -c "^tolvaro-routerd: .*, at ")" -eq "$count" ] &&
            return
        sleep 0.2
    done
    cat "$work"/routerd-"$prefix".*.log
    fail "the simulated routers did not start"
}
hardware() { printf '02:4B:56:%02X:%02X:%02X' "${1##*.}" 0 "$2"; }

# ---- the collection on its own -------------------------------------------
# ansible-test's sanity tests that need no download. The others install
# pinned Python packages from the Python package index into a virtual
# environment, which this machine cannot reach; each is replaced or skipped:
#   validate-modules  run below from ansible-test's own copy, with Debian's
#                     voluptuous (documentation against the options)
#   ansible-doc       run below: ansible-doc renders every module
#   pep8              run below: Debian's pycodestyle with ansible-test's
#                     settings
#   yamllint, import, pylint, runtime-metadata, changelog: skipped (the
#                     playbook runs import every module; meta/runtime.yml is
#                     one line; there is no changelog)
#   pslint            skipped: no PowerShell in the collection
(cd "$collection" &&
    ansible-test sanity --color no --python-interpreter /usr/bin/python3 --python 3.11 \
        --skip-test ansible-doc --skip-test changelog --skip-test import --skip-test pep8 \
        --skip-test pylint --skip-test pslint --skip-test runtime-metadata \
        --skip-test validate-modules --skip-test yamllint >"$work/sanity" 2>&1) ||
    { cat "$work/sanity"; fail "ansible-test sanity"; }
(cd "$collection" &&
    /usr/bin/python3 /usr/lib/python3/dist-packages/ansible_test/_util/controller/sanity/validate-modules/validate.py \
        --format json --arg-spec --collection ansible_collections/karvel/tolvaro \
        --collection-version "$(sed -n 's/^version: //p' galaxy.yml)" plugins/modules/*.py \
        >"$work/validate" 2>&1) || [ $? -eq 3 ]
# Errors the ignore file lists are accepted, as ansible-test accepts them.
/usr/bin/python3 - "$work/validate" "$collection/tests/sanity/ignore-2.14.txt" <<'EOF' || fail "validate-modules"
import json, sys
ignored = {tuple(line.split('#')[0].split()) for line in open(sys.argv[2]) if line.strip()}
found = [(path, 'validate-modules:' + e['code'], e['msg'])
         for path, result in json.load(open(sys.argv[1])).items() for e in result['errors']]
bad = [f for f in found if f[:2] not in ignored]
for f in bad:
    print('%s: %s: %s' % f)
sys.exit(1 if bad else 0)
EOF
ansible-doc karvel.tolvaro.config karvel.tolvaro.backup karvel.tolvaro.status >/dev/null
/usr/bin/python3 -m pycodestyle --max-line-length 160 --ignore E402,W503,W504,E741 "$collection/plugins"
promtool check rules contrib/prometheus/tolvaro-alerts.yml >/dev/null
(cd contrib/prometheus && promtool test rules tolvaro-alerts.test.yml >/dev/null)
echo "contrib-check: collection sanity, validate-modules, ansible-doc, pep8, alert rules: ok"

# ---- the playbook against three routers ----------------------------------
start_routers 127.0.23 3
cat >"$work/inventory.yml" <<EOF
branches:
  hosts:
    branch-1: {router_address: 127.0.23.1}
    branch-2: {router_address: 127.0.23.2}
    branch-3: {router_address: 127.0.23.3, router_password: Zq7-branch}
  vars:
    ansible_connection: local
    backup_dir: $work/backup
EOF
mkdir -p "$work/backup"
# play NAME ARGS...: runs the example playbook, keeps its output, prints its recap.
play() {
    local name=$1
    shift
    ansible-playbook -i "$work/inventory.yml" "$collection/playbooks/branches.yml" "$@" \
        >"$work/$name" 2>&1 || { cat "$work/$name"; fail "playbook ($name) failed"; }
    echo "contrib-check: $name run:"
    sed -n '/^PLAY RECAP/,$p' "$work/$name" | sed '/^$/d'
}
# expect_recap NAME CHANGED: every router's recap line shows CHANGED changes.
expect_recap() {
    [ "$(grep -cE "^branch-[123] +: ok=[0-9]+ +changed=$2 +unreachable=0 +failed=0" "$work/$1")" -eq 3 ] ||
        fail "$1 run: expected changed=$2 for every router"
}
configurations() {
    for i in 1 2 3; do
        TOLVARO_PASSWORD=Zq7-branch "$cli" save "127.0.23.$i" "$work/$1-$i.cfg" >/dev/null 2>&1 ||
            fail "cannot save router $i"
    done
}

configurations before
play check --check --diff
expect_recap check 2
configurations after-check
for i in 1 2 3; do
    cmp -s "$work/before-$i.cfg" "$work/after-check-$i.cfg" || fail "check mode changed router $i"
done
[ -z "$(ls -A "$work/backup")" ] || fail "check mode wrote a backup"
grep -q '^+Quick Setup / Idle Time-out (minutes; seconds above firmware level 60): 7$' "$work/check" ||
    fail "the diff does not show the idle time-out by name"
echo "contrib-check: check run, the config task's diff:"
sed -n '/^TASK \[Every branch/,/^TASK \[Its configuration/p' "$work/check" | sed '/^TASK \[Its/d;/^$/d'

play first -v
expect_recap first 2
play second
expect_recap second 0
grep -q Zq7-branch "$work/check" "$work/first" "$work/second" && fail "a password reached the output"
[ -s "$work/backup/branch-3.cfg" ] && grep -qxF 'LAN / DNS IP Address 2.: 192.0.2.60' "$work/backup/branch-3.txt" ||
    fail "the backup does not hold the applied state"

# Argument errors fail as Ansible's own; a refused state with the command's message.
adhoc() { ansible localhost -c local -m "karvel.tolvaro.$1" -a "$2" >"$work/adhoc" 2>&1 && fail "$1 $2 succeeded" || true; }
adhoc config 'router=127.0.23.1 src=/nonexistent settings={"quick_setup.idle_timeout":7}'
grep -q "parameters are mutually exclusive: settings|src" "$work/adhoc" || { cat "$work/adhoc"; fail "mutually exclusive"; }
adhoc status 'router=127.0.23.1 colour=blue'
grep -q "Unsupported parameters for (karvel.tolvaro.status) module: colour" "$work/adhoc" || { cat "$work/adhoc"; fail "unsupported parameter"; }
adhoc config 'router=127.0.23.1 settings={"quick_setup.no_such_setting":1}'
grep -q "no_such_setting" "$work/adhoc" || { cat "$work/adhoc"; fail "the command's message"; }
echo "contrib-check: argument errors: ok"

# ---- the metrics ---------------------------------------------------------
cat >"$work/inventory.toml" <<EOF
[[router]]
name = "branch-1"
hardware = "$(hardware 127.0.23 1)"
[[router]]
name = "branch-2"
hardware = "$(hardware 127.0.23 2)"
[[router]]
name = "branch-3"
hardware = "$(hardware 127.0.23 3)"
password_env = "BRANCH_3_PASSWORD"
[[router]]
name = "gone"
hardware = "$(hardware 127.0.23 9)"
EOF
export BRANCH_3_PASSWORD=Zq7-branch
"$cli" backup --inventory "$work/inventory.toml" >/dev/null 2>&1 || true # "gone" fails
"$cli" dial --poll-interval 200 127.0.23.1 >/dev/null
printf 'quick_setup.idle_timeout = 9\n' >"$work/drift.toml"
"$cli" --reset-wait 1000 apply 127.0.23.2 "$work/drift.toml" >/dev/null
mkdir -p "$work/textfile"
metrics=$work/textfile/tolvaro.prom
"$cli" status --inventory "$work/inventory.toml" --prometheus "$metrics" 2>"$work/status-errors"
promtool check metrics <"$metrics" || fail "promtool check metrics"
expect_metric() {
    grep -qxF "$1" "$metrics" || { cat "$metrics"; fail "no line: $1"; }
}
for i in 1 2 3; do
    labels="{router=\"branch-$i\",hardware=\"$(hardware 127.0.23 "$i" | tr : -)\"}"
    expect_metric "tolvaro_router_reachable$labels 1"
    expect_metric "tolvaro_line_up$labels $([ "$i" -eq 1 ] && echo 1 || echo 0)"
    expect_metric "tolvaro_config_drift$labels $([ "$i" -eq 2 ] && echo 1 || echo 0)"
    expect_metric "tolvaro_firmware_level$labels 65"
    grep -qE "^tolvaro_snapshot_age_seconds${labels//[\{\}]/.} [0-9]+$" "$metrics" || fail "snapshot age of branch-$i"
    grep -qE "^tolvaro_connection_log_lines${labels//[\{\}]/.} [1-9][0-9]*$" "$metrics" || fail "log lines of branch-$i"
done
expect_metric "tolvaro_router_reachable{router=\"gone\",hardware=\"$(hardware 127.0.23 9 | tr : -)\"} 0"
grep -q "gone" "$work/status-errors" || fail "the unreachable router is not reported"
# The up-time counts from the run that first saw the line up.
sleep 1.1
"$cli" status --inventory "$work/inventory.toml" --prometheus "$metrics" 2>/dev/null
grep -qE '^tolvaro_line_up_seconds\{router="branch-1",[^}]*\} [1-9][0-9]*$' "$metrics" ||
    fail "the line's up-time does not grow"
[ "$(stat -c %a "$metrics")" = 644 ] || fail "the metrics file is not readable by the collector"
echo "contrib-check: metrics file:"
cat "$metrics"
stop_routers

[ "$bench" = --bench ] || exit 0

# ---- 64 routers: Ansible's forks against the tool's jobs ------------------
# The same state to every router, first run (writes, restarts, read-back)
# and second run (nothing to do): the playbook with one config task and 16
# forks, then tolvaro-cli apply --inventory with 16 jobs, each against fresh
# routers. Discovery keeps 32 routers, as the routers' protocol does, so
# these are reached by remote management, as a fleet of branches would be.
routers=64
{
    echo "bench:"
    echo "  hosts:"
    for ((i = 1; i <= routers; i++)); do echo "    r$i: {router_address: \"remote:127.0.24.$i:1161\"}"; done
    echo "  vars: {ansible_connection: local}"
} >"$work/bench.yml"
cat >"$work/bench-play.yml" <<'EOF'
- hosts: bench
  gather_facts: false
  tasks:
    - karvel.tolvaro.config:
        router: "{{ router_address }}"
        settings: {quick_setup.idle_timeout: 7}
EOF
for ((i = 1; i <= routers; i++)); do
    printf '[[router]]\nname = "r%d"\nremote = "127.0.24.%d:1161"\n' "$i" "$i"
done >"$work/bench.toml"
echo 'quick_setup.idle_timeout = 7' >"$work/bench-state.toml"
TIMEFORMAT='%R s elapsed, %U s user, %S s system'
measure() { # LABEL COMMAND...
    local label=$1
    shift
    { time "$@" >"$work/bench-out" 2>&1; } 2>"$work/bench-time" ||
        { tail -20 "$work/bench-out"; fail "$label failed"; }
    printf '%-48s %s\n' "$label" "$(cat "$work/bench-time")"
}
echo "contrib-check: $routers routers:"
start_routers 127.0.24 "$routers"
measure "ansible-playbook -f 16, first run" \
    ansible-playbook -f 16 -i "$work/bench.yml" "$work/bench-play.yml"
[ "$(grep -c "changed=1 " "$work/bench-out")" -eq "$routers" ] || fail "not every router changed"
measure "ansible-playbook -f 16, second run" \
    ansible-playbook -f 16 -i "$work/bench.yml" "$work/bench-play.yml"
stop_routers
start_routers 127.0.24 "$routers"
measure "tolvaro-cli apply --inventory --jobs 16, first run" \
    "$cli" apply --inventory "$work/bench.toml" "$work/bench-state.toml" --jobs 16
measure "tolvaro-cli apply --inventory --jobs 16, second run" \
    "$cli" apply --inventory "$work/bench.toml" "$work/bench-state.toml" --jobs 16
