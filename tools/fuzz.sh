#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer into ${FUZZ_BUILD_DIR:-build-fuzz} and runs each of them on
# its seed corpus. FUZZ_RUNS sets the inputs per target (default: a short run for CI);
# FUZZ_TARGETS picks targets; further arguments go to libFuzzer (e.g. -jobs=2).
# A crash, a sanitizer report, an input running over 1 s (10 s for the computation target,
# whose runs the sanitizers slow down 10 to 30 times) or a failed check of the target (a
# non-finite setting) fails; the input is kept in the build folder. Inputs are
# at most 256 bytes: every path a dialogue input chooses has its length summed under the
# sanitizers, and longer inputs choose so many that they near the 1 s on a busy machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install_deps.sh --fuzz
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
targets=(${FUZZ_TARGETS:-fuzz_dialogue fuzz_batch_options fuzz_random_table fuzz_computation})
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DAGV_FUZZ=ON -DAGV_SANITIZE=ON -DAGV_BUILD_TESTS=OFF -DAGV_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target "${targets[@]}" >/dev/null

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
artifacts="$build_dir/fuzz-artifacts"
mkdir -p "$artifacts"
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  case "$name" in
    dialogue) runs=${FUZZ_RUNS:-60000} ;;
    # Each input computes a whole short run: fewer of them, and under the sanitizers a run
    # is 10 to 30 times slower than in the normal build, where it must stay within 1 s.
    computation) runs=${FUZZ_RUNS:-1500} ;;
    *) runs=${FUZZ_RUNS:-50000} ;;
  esac
  timeout=1
  [ "$name" = computation ] && timeout=10
  # New inputs go to a scratch folder; the seed corpus in the repository stays as it is.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  echo "fuzz: $target, $runs inputs" >&2
  log="$build_dir/$name.log"
  status=0
  # A fixed seed makes the short CI run the same every time; set FUZZ_SEED=0 for a new one.
  "$build_dir/fuzz/$target" -runs="$runs" -timeout="$timeout" -max_len=256 -print_final_stats=1 \
    -seed="${FUZZ_SEED:-1}" \
    -artifact_prefix="$artifacts/$name-" "$@" "$work" "fuzz/corpus/$name" >"$log" 2>&1 ||
    status=$?
  grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss)" "$log" >&2 || true
  rm -rf "$work"
  trap - EXIT
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "fuzz: $target failed (status $status); the input is in $artifacts" >&2
    exit 1
  fi
done
