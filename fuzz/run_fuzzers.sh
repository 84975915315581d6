#!/usr/bin/env bash
# Runs each fuzz target of a fuzz build directory for a fixed time over its growing corpus and its
# generated seeds; a crash, a sanitizer report or a leak makes the script fail, and the input
# that caused it is kept in BUILD/fuzz/artifacts.
#
#   fuzz/run_fuzzers.sh BUILD SECONDS
set -euo pipefail
build=${1:?build directory}
seconds=${2:?seconds per target}
here=$(cd "$(dirname "$0")" && pwd)
out=$build/fuzz
mkdir -p "$out/corpus/compile" "$out/corpus/readers" "$out/corpus/http" "$out/corpus/lsp" \
    "$out/artifacts"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# target corpus max_len extra options...
run() {
    local target=$1 corpus=$2 max_len=$3
    shift 3
    echo "== $target: $seconds s"
    "$out/$target" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 \
        -timeout=60 -print_final_stats=1 -artifact_prefix="$out/artifacts/$target-" "$@" \
        "$out/corpus/$corpus" "$out/seeds/$corpus"
}

# The program's texts need about 5 KB; a reader needs room for a whole cell file of the program.
run compile_fuzzer compile 8192 -dict="$here/scenario.dict"
run readers_fuzzer readers 16384
# A head may reach the server's limit of 8192 bytes; a little more shows what lies past it.
run http_request_fuzzer http 10000 -dict="$here/http.dict"
# A session of a few messages around the program's texts.
run lsp_fuzzer lsp 20000 -dict="$here/lsp.dict"
