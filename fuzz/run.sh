#!/usr/bin/env bash
# Builds the fuzz targets with clang++ and runs each for SECONDS (default 20), as many at once
# as there are cores. Fails when any target finds a crash or a broken invariant.
#
#   fuzz/run.sh [SECONDS]
#   FUZZ_SKIP_REPORTED=1 fuzz/run.sh [SECONDS]   # step around faults already reported
#
# Each target works on build/fuzz/corpus/<target>, seeded from fuzz/corpus/<target>; inputs it
# finds stay there for the next run, the repository's seeds are never touched. Crash inputs
# land in build/fuzz/artifacts/<target>/, logs in build/fuzz/logs/<target>.log.
set -uo pipefail

seconds=${1:-20}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [[ $seconds -eq 0 ]]; then
    echo "usage: $0 [SECONDS_PER_TARGET]" >&2
    exit 2
fi

if ! command -v clang++ >/dev/null 2>&1; then
    echo "clang not found: fuzzing skipped"
    exit 0
fi

start=$SECONDS
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build/fuzz
skip_reported=OFF
if [[ ${FUZZ_SKIP_REPORTED:-0} == 1 ]]; then
    build=$root/build/fuzz-skip-reported
    skip_reported=ON
fi
targets=(fuzz_record_reader fuzz_directory_split fuzz_config_reader fuzz_override_lookup
         fuzz_order_file fuzz_cp1252 fuzz_upgrade_package)

cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DQM_FUZZ_SKIP_REPORTED=$skip_reported >/dev/null || exit 1
cmake --build "$build" || exit 1

dictionary_of() {
    case $1 in
    fuzz_directory_split | fuzz_override_lookup) echo "$root/fuzz/dict/lines.dict" ;;
    fuzz_cp1252) echo "$root/fuzz/dict/cp1252.dict" ;;
    fuzz_upgrade_package) echo "$root/fuzz/dict/zip.dict" ;;
    *) echo "$root/fuzz/dict/records.dict" ;;
    esac
}

jobs_at_once=$(nproc 2>/dev/null || echo 2)
declare -A pid_of
# Background jobs ignore Ctrl-C, so stop the fuzzers started here by their ids.
stop() {
    for pid in "${pid_of[@]}"; do
        kill "$pid" 2>/dev/null
    done
    exit 130
}
trap stop INT TERM

mkdir -p "$build/logs"
for target in "${targets[@]}"; do
    while [[ $(jobs -rp | wc -l) -ge $jobs_at_once ]]; do
        wait -n
    done
    corpus=$build/corpus/$target
    artifacts=$build/artifacts/$target/
    mkdir -p "$corpus" "$artifacts"
    cp "$root/fuzz/corpus/$target/"* "$corpus/"
    # -timeout catches hangs; -rss_limit_mb keeps two targets within a small machine.
    "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
        -dict="$(dictionary_of "$target")" -artifact_prefix="$artifacts" -print_final_stats=1 \
        "$corpus" >"$build/logs/$target.log" 2>&1 &
    pid_of[$target]=$!
done

failed=0
for target in "${targets[@]}"; do
    log=$build/logs/$target.log
    if wait "${pid_of[$target]}"; then
        runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$')
        cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
        echo "ok      $target (${runs:-?} runs, ${cov:-cov: ?})"
    else
        failed=1
        echo "FAILED  $target (log: $log)"
        # The finding and the frames of our own code; the whole trace is in the log.
        grep -E "invariant failed|ERROR: |runtime error|  at |#[0-9]+ 0x.* $root/" "$log" |
            head -25 | sed 's/^/    /'
        grep -E '^artifact_prefix|Test unit written to' "$log" | sed 's/^/    /'
    fi
done
echo "build and fuzzing took $((SECONDS - start)) s"
exit $failed
