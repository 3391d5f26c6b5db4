#!/usr/bin/env bash
# Runs one fuzz harness, or all of them, for a number of seconds each:
#   fuzz/run.sh HARNESS|all [SECONDS]   (default 60)
# Builds the harness in BUILD_DIR (default build-asan/, configured with clang, ASan, UBSan and
# QM_FUZZ as ./dev.sh test-asan does). The growing corpus is kept in
# BUILD_DIR/fuzz-runs/corpus/HARNESS, seeded from fuzz/corpus/HARNESS and the examples; crashing
# inputs go to BUILD_DIR/fuzz-runs/artifacts/HARNESS and the log, with libFuzzer's final
# statistics, to BUILD_DIR/fuzz-runs/HARNESS.log.
set -euo pipefail
cd "$(dirname "$0")/.."

harnesses=(container_fuzzer project_file_fuzzer project_xml_fuzzer attribute_definitions_fuzzer
    writer_path_fuzzer)
harness=${1:-}
seconds=${2:-60}
dir=${BUILD_DIR:-build-asan}
if [ -z "$harness" ]; then
    sed -n '2,7p' "$0"
    exit 2
fi
if [ "$harness" = all ]; then
    for name in "${harnesses[@]}"; do
        "$0" "$name" "$seconds"
    done
    exit 0
fi
if [[ ! " ${harnesses[*]} " =~ " $harness " ]]; then
    echo "unknown harness $harness; one of: ${harnesses[*]}" >&2
    exit 2
fi

if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_WERROR=ON \
        -DCMAKE_CXX_COMPILER=clang++ -DQM_SANITIZE=ON -DQM_FUZZ=ON >/dev/null
fi
examples=()
for example in examples/*/; do examples+=("example_$(basename "$example")"); done
cmake --build "$dir" -j "$(nproc)" --target "$harness" Project "${examples[@]}" >/dev/null

dir=$(realpath "$dir")
corpus="$dir/fuzz-runs/corpus/$harness"
artifacts="$dir/fuzz-runs/artifacts/$harness"
mkdir -p "$corpus" "$artifacts"
cp -n fuzz/corpus/"$harness"/* "$corpus"/
case "$harness" in
container_fuzzer | project_file_fuzzer) cp -n "$dir"/examples/*.qmr "$corpus"/ ;;
project_xml_fuzzer)
    for example in examples/*/; do cp -n "$example/Project.xml" "$corpus/$(basename "$example").xml"; done
    ;;
attribute_definitions_fuzzer)
    for example in examples/*/; do
        cp -n "$example"/node*_definitions.xml "$corpus/$(basename "$example").xml"
    done
    ;;
esac

# One process, one job: the machine is shared. Inputs are capped at 64 KiB.
export QT_QPA_PLATFORM=offscreen QUILLMAR_PLUGIN_PATH="$dir/lib/quillmar/plugins"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
log="$dir/fuzz-runs/$harness.log"
echo "fuzzing $harness for $seconds s (log: $log)"
status=0
"$dir/bin/$harness" -max_total_time="$seconds" -max_len=65536 -timeout=30 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1 || status=$?
grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb):' "$log" |
    sed "s/^/  /" || true
if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "$harness failed (exit $status); the input is in $artifacts/" >&2
    exit "$status"
fi
