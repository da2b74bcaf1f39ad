#!/usr/bin/env bash
# Installs the Debian package with apt-get, finds every file in its place, analyses a track with
# the installed kassolin-analyze, and purges the package again, which must leave nothing of it
# behind. It changes the machine, so it runs only as root, with the package that
# scripts/test.sh makes, and never where a Kassolin package is installed already.
#
# package-test.sh SOURCE_DIR PACKAGE_DIR TRACK.mp3
set -euo pipefail
source_dir=$1 package_dir=$2 track=$3
source "$source_dir/tests/install/installed-files.sh"
skip=77

packages=("$package_dir"/kassolin_*.deb)
if [ ! -f "${packages[0]}" ] || [ "$(id -u)" -ne 0 ]; then
    echo "Skipped: needs root and the package of scripts/test.sh in $package_dir"
    exit $skip
fi
if dpkg-query -W -f='${Status}' kassolin 2>/dev/null | grep -q installed; then
    echo "Skipped: a Kassolin package is installed on this machine, and is left alone"
    exit $skip
fi

export DEBIAN_FRONTEND=noninteractive
(cd "$package_dir" && apt-get install -y --no-install-recommends ./kassolin_*.deb >/dev/null)
trap 'apt-get purge -y kassolin >/dev/null 2>&1 || true' EXIT

mapfile -t owned < <(dpkg-query -L kassolin)
while IFS= read -r file; do
    [ -f "/usr/$file" ] || { echo "Not installed: /usr/$file"; exit 1; }
done < <(kassolin_installed_files)
# Built without the sanitizers of the test build: no runtime of theirs is linked.
if ldd /usr/bin/kassolin /usr/bin/kassolin-analyze | grep -E 'libasan|libubsan'; then
    exit 1
fi
# The analysis tool reads files alone: it needs no sound server and no sound device.
if ldd /usr/bin/kassolin-analyze | grep -E 'libpulse|libSDL2'; then
    exit 1
fi
analysis=$(/usr/bin/kassolin-analyze "$track")
[[ $analysis == '{"sampleRate": 44100, "channels": 2, "duration": '* ]]

apt-get purge -y kassolin >/dev/null
trap - EXIT
left=0
for path in "${owned[@]}"; do
    # A folder stays where another package owns it too, or holds files of others.
    if [ -e "$path" ] && { [ ! -d "$path" ] ||
        { ! dpkg-query -S "$path" >/dev/null 2>&1 && [ -z "$(ls -A "$path")" ]; }; }; then
        echo "Left behind: $path"
        left=1
    fi
done
exit $left
