#!/usr/bin/env bash
# Installs a built package, runs the installed programs, and removes the
# package again, checking that it leaves nothing behind. Needs root (CI).
# Usage: scripts/install-check.sh build/tolvaro_<version>_amd64.deb
set -euo pipefail
deb=$(realpath "$1")
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
remove() { $sudo apt-get purge -y -qq tolvaro >/dev/null; }
trap remove EXIT

DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null
files=$(dpkg-query -L tolvaro)
/usr/bin/tolvaro-cli --help >/dev/null
QT_QPA_PLATFORM=offscreen /usr/bin/tolvaro --version
/usr/bin/tolvaro-routerd --version
man -w tolvaro-cli >/dev/null 2>&1 || [ -f /usr/share/man/man1/tolvaro-cli.1.gz ]
for f in /usr/share/applications/tolvaro.desktop /usr/share/icons/hicolor/scalable/apps/tolvaro.svg \
         /usr/share/bash-completion/completions/tolvaro-cli /usr/share/doc/tolvaro/html/index.html; do
    [ -f "$f" ] || { echo "install-check: $f missing" >&2; exit 1; }
done
# The completion offers the commands the installed program lists.
words=$(bash -c 'source /usr/share/bash-completion/completions/tolvaro-cli
                 COMP_WORDS=(tolvaro-cli "") COMP_CWORD=1; _tolvaro_cli; echo "${COMPREPLY[*]}"')
[[ " $words " == *" discover "* ]] || { echo "install-check: completion offers '$words'" >&2; exit 1; }

trap - EXIT
remove
left=0
while IFS= read -r f; do
    # Directories such as /usr/share/man belong to other packages too.
    if [ -e "$f" ] && [ ! -d "$f" ]; then
        echo "install-check: left behind: $f" >&2
        left=1
    fi
done <<<"$files"
[ -d /usr/share/doc/tolvaro ] && { echo "install-check: /usr/share/doc/tolvaro left" >&2; left=1; }
exit $left
