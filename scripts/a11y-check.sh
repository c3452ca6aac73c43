#!/usr/bin/env bash
# What a screen reader hears: starts the demo under Xvfb with the
# accessibility bus, opens the password window and every page of the
# settings window through that bus as a reader's user would, lists role and
# name of every control, and fails on a control without a name or on a name
# given to two controls of one window (scripts/a11y_check.py).
# Usage: scripts/a11y-check.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" != --inside ]; then
    bash scripts/deps.sh python3-pyatspi at-spi2-core dbus
    build=${1:-build}
    cmake --build "$build" --target tolvaro >&2
    exec xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- \
        bash "$0" --inside "$build"
fi
build=$2
state=$(mktemp -d)
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 XDG_DATA_HOME="$state/data"
export XDG_CONFIG_HOME="$state/config"
/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus=$!
"$build/src/tolvaro" --demo >"$state/tolvaro.log" 2>&1 &
program=$!
status=0
/usr/bin/python3 scripts/a11y_check.py || status=$?
kill "$program" "$bus" 2>/dev/null || true
wait 2>/dev/null || true
rm -rf "$state"
exit "$status"
