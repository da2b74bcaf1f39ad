#!/usr/bin/env bash
# Installs the build into a temporary prefix: every file is in its place and nothing else is
# there, the desktop entry and the software centres' entry pass their validators, and the
# installed program runs.
#
# install-test.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source_dir=$1 build_dir=$2 version=$3
source "$source_dir/tests/install/installed-files.sh"

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build_dir" --prefix "$prefix" >/dev/null

kassolin_compare_installed_files "$prefix"
# It fails only on errors; its warnings and hints count here too.
findings=$(desktop-file-validate "$prefix/share/applications/org.kassolin.Kassolin.desktop")
[ -z "$findings" ] || { echo "$findings"; exit 1; }
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/org.kassolin.Kassolin.metainfo.xml"
# The software centres list this version as the newest release.
newest=$(grep -m1 '<release ' "$prefix/share/metainfo/org.kassolin.Kassolin.metainfo.xml")
[[ $newest == *"version=\"$version\""* ]]
[ "$("$prefix/bin/kassolin" --version)" = "Kassolin $version" ]
