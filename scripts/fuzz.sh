#!/usr/bin/env bash
# Runs the libFuzzer targets of a fuzz build (cmake -DORVIDA_FUZZ=ON with clang).
#   scripts/fuzz.sh BUILD SECONDS   fuzz each target for SECONDS, keeping new finds in
#                                   the saved corpus (tests/fuzz-corpus/TARGET)
#   scripts/fuzz.sh BUILD replay    run each saved input once (what CI does)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?build folder}
mode=${2:?seconds or replay}
status=0
for target in gfx_bmp_fuzz config_fuzz cli_fuzz formats_fuzz; do
  binary=$build/fuzz/$target
  corpus=tests/fuzz-corpus/$target
  mkdir -p "$corpus"
  if [ "$mode" = replay ]; then
    echo "== $target: replaying $(ls "$corpus" | wc -l) saved inputs"
    "$binary" -runs=0 "$corpus" 2>&1 | grep -E 'INITED|DONE|ERROR|SUMMARY' || true
    "$binary" -runs=0 "$corpus" > /dev/null 2>&1 || { echo "$target: a saved input fails" >&2; status=1; }
  else
    echo "== $target: fuzzing for $mode s"
    work=$(mktemp -d)
    if ! "$binary" -max_total_time="$mode" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
         -artifact_prefix="$build/fuzz/$target-" "$work" "$corpus" 2> "$build/fuzz/$target.log"; then
      echo "$target: found a failure; see $build/fuzz/$target.log" >&2
      status=1
    fi
    grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "$build/fuzz/$target.log" || true
    # Keep only inputs that add coverage, and only small ones, in the saved corpus.
    "$binary" -merge=1 -max_len=4096 "$corpus" "$work" > /dev/null 2>&1 || true
    rm -rf "$work"
  fi
done
exit $status
