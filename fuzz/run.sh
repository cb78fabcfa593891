#!/usr/bin/env bash
# Runs the libFuzzer targets, one after the other, each for a fixed time.
#   fuzz/run.sh [-t SECONDS] [TARGET...]     (default: 300 s each, every target)
# TARGET is a corpus name under fuzz/corpus (text_to_number, format_number, ...).
# Builds with the fuzz preset first. New inputs go to build/fuzz/corpus/TARGET, the
# committed seeds in fuzz/corpus/TARGET are only read; a crash, leak, sanitizer report
# or timeout leaves its input in build/fuzz/artifacts/TARGET/ and fails the script.
# Extra libFuzzer flags can be passed in FUZZ_FLAGS.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=300
if [ "${1:-}" = "-t" ]; then
    seconds=$2
    shift 2
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for d in fuzz/corpus/*/; do
        targets+=("$(basename "$d")")
    done
fi

cmake --preset fuzz >/dev/null
if ! build_log=$(cmake --build --preset fuzz -j 2 2>&1); then
    echo "$build_log" >&2
    exit 1
fi

# A search can take up to a million model evaluations, about half a second in this
# build; an input runs at most a dozen searches. Anything past the timeout is a hang.
timeout_s=30

# LeakSanitizer stops the process at exit where it cannot trace it (some sandboxes
# forbid ptrace); then leak checking is off for these runs, and the script says so.
leaks=1
probe=build/fuzz/fuzz/fuzz_text_to_number
if ! ASAN_OPTIONS=detect_leaks=1 "$probe" -runs=1 </dev/null >/dev/null 2>&1; then
    if ASAN_OPTIONS=detect_leaks=0 "$probe" -runs=1 </dev/null >/dev/null 2>&1; then
        echo "LeakSanitizer cannot run here: leak checking is OFF for the fuzz runs." >&2
        leaks=0
    fi
fi

passed=0
failed=0
for t in "${targets[@]}"; do
    bin=build/fuzz/fuzz/fuzz_$t
    seeds=fuzz/corpus/$t
    work=build/fuzz/corpus/$t
    artifacts=build/fuzz/artifacts/$t
    if [ ! -x "$bin" ] || [ ! -d "$seeds" ]; then
        echo "No fuzz target or seed corpus for '$t'." >&2
        exit 2
    fi
    mkdir -p "$work" "$artifacts"
    dict=()
    [ -f "fuzz/$t.dict" ] && dict=(-dict="fuzz/$t.dict")
    echo "== fuzz_$t: ${seconds} s =="
    log=build/fuzz/fuzz_$t.log
    # shellcheck disable=SC2086
    if ASAN_OPTIONS="detect_leaks=$leaks" \
        "$bin" "$work" "$seeds" "${dict[@]}" -max_total_time="$seconds" -timeout="$timeout_s" \
        -rss_limit_mb=2048 -max_len=1024 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" ${FUZZ_FLAGS:-} >"$log" 2>&1; then
        grep -E '^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::average_exec_per_sec)' "$log" || true
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "fuzz_$t FAILED; the end of its log ($log):" >&2
        tail -n 40 "$log" >&2
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
