#!/usr/bin/env bash
# Builds kassolin-fuzz (preset "fuzz") and runs it on the corpus that kassolin-corpus writes:
#   scripts/fuzz.sh              runs every corpus file once, the fuzzer's finds included (CI)
#   scripts/fuzz.sh SECONDS      fuzzes for SECONDS at low priority in one process, from the
#                                corpus as seeds, into build/fuzz/corpus; finds go to
#                                build/fuzz/finds
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
kassolin_install_dependencies

cd "$top"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
build="$top/build/fuzz"
seeds=$(mktemp -d /tmp/kassolin-seeds.XXXXXX)
trap 'rm -rf "$seeds"' EXIT
"$build/tools/kassolin-corpus" "$seeds"

export LANG=C.UTF-8
if [ $# -eq 0 ]; then
    # Quiet unless a file fails: the decoder's warnings about damaged frames are many.
    log="$seeds/fuzz.log"
    if ! "$build/tools/kassolin-fuzz" "$seeds"/*.mp3 >"$log" 2>&1; then
        cat "$log" >&2
        exit 1
    fi
    echo "kassolin-fuzz: $(grep -c '^Running: ' "$log") corpus files run, none failed"
    exit 0
fi
mkdir -p "$build/corpus" "$build/finds"
# Larger seeds make the fuzzer slow without reaching more code.
find "$seeds" -size +200k -delete
nice -n 10 "$build/tools/kassolin-fuzz" -max_total_time="$1" -print_final_stats=1 \
    -artifact_prefix="$build/finds/" "$build/corpus" "$seeds"
