#!/usr/bin/env bash
# Builds kassolin-fuzz (preset "fuzz") and fuzzes the decoder and the analyses for SECONDS at low
# priority in one process, from the corpus that kassolin-corpus writes as seeds, into
# build/fuzz/corpus; finds go to build/fuzz/finds. The tests replay the corpus with the
# fuzzer's finds under AddressSanitizer and UBSan (DecoderCorpusTest).
#   scripts/fuzz.sh SECONDS
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "Aufruf: scripts/fuzz.sh SEKUNDEN" >&2
    exit 2
fi
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
kassolin_install_dependencies

cd "$top"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target kassolin-fuzz kassolin-corpus
build="$top/build/fuzz"
seeds=$(mktemp -d /tmp/kassolin-seeds.XXXXXX)
trap 'rm -rf "$seeds"' EXIT
"$build/tools/kassolin-corpus" "$seeds"
# Larger seeds make the fuzzer slow without reaching more code.
find "$seeds" -size +200k -delete

export LANG=C.UTF-8
mkdir -p "$build/corpus" "$build/finds"
nice -n 10 "$build/tools/kassolin-fuzz" -max_total_time="$1" -print_final_stats=1 \
    -artifact_prefix="$build/finds/" "$build/corpus" "$seeds"
