#!/usr/bin/env bash
# Builds the Debian package build/tolvaro_<version>_amd64.deb and checks it
# with desktop-file-validate, appstreamcli and lintian.
# Usage: scripts/package.sh [build-dir]   (an existing build is reused)
# Prints only the package's path on standard output; all else goes to stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
exec 3>&1 1>&2
bash scripts/deps.sh dpkg-dev lintian desktop-file-utils appstream
build=${1:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVARO_HARDEN=ON >/dev/null
cmake --build "$build"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/tolvaro_*_*.deb | head -n 1)

desktop-file-validate packaging/tolvaro.desktop
appstreamcli validate --no-net --pedantic "$build"/packaging/com.karvel.Tolvaro.metainfo.xml
# Every tag fails the build, down to the pedantic ones; the few that are no
# fault are overridden, each with its reason (packaging/debian/lintian-overrides).
lintian --pedantic --fail-on error,warning,info,pedantic "$deb"
echo "$deb" >&3
