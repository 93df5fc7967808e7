#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#
#     fuzz/run_fuzzers.sh BUILD_DIR SECONDS
#
# Seeds: files our writer makes plus the committed ones in fuzz/corpus/<target>/.
# Findings land in BUILD_DIR/fuzz-findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-fuzz}
seconds=${2:-60}

CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DQUORVEL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target xls_reader_fuzzer xls_seed_writer settings_fuzzer csv_fuzzer list_fuzzer

status=0
for target in xls_reader_fuzzer settings_fuzzer csv_fuzzer list_fuzzer; do
    corpus="$build_dir/fuzz-corpus/$target"
    findings="$build_dir/fuzz-findings/$target"
    mkdir -p "$corpus" "$findings"
    if [ -d "fuzz/corpus/$target" ]; then
        cp -n fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
    fi
    case "$target" in
    xls_reader_fuzzer) "$build_dir/bin/xls_seed_writer" "$corpus" ;;
    esac
    echo "== $target for ${seconds}s"
    ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0 \
        "$build_dir/bin/$target" "$corpus" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=1024 \
        -timeout=10 -artifact_prefix="$findings/" -print_final_stats=1 || status=1
done
exit $status
