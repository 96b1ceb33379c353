#!/usr/bin/env bash
# Runs every fuzz target for a bounded time, one after the other, each on a
# fresh copy of its seed corpus in the build directory (the repository stays
# as it is), then prints one line of figures per target. Fails when any
# target found a crash, a sanitizer report or a broken check.
#
#   fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
set -uo pipefail

build=${1:?build directory}
seconds=${2:?seconds per target}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(device_report report_descriptor records profile_file setting_text)

# Longest input per target: reports and descriptors past the 4096-byte cap.
declare -A max_len=([device_report]=5000 [report_descriptor]=5000 [records]=400
                    [profile_file]=6000 [setting_text]=300)

export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen

failed=()
summary=()
for target in "${targets[@]}"; do
  binary="$build/fuzz/fuzz_$target"
  work="$build/fuzz-run/$target"
  if [ ! -x "$binary" ]; then
    echo "fuzz: $binary is missing" >&2
    failed+=("$target")
    continue
  fi
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp "$here/corpus/$target"/* "$work/corpus/"
  dict=()
  [ -f "$here/dict/$target.dict" ] && dict=("-dict=$here/dict/$target.dict")

  echo "fuzz: $target for ${seconds}s (log: $work/log)"
  "$binary" "$work/corpus" "${dict[@]}" \
    -max_total_time="$seconds" -max_len="${max_len[$target]:-4096}" -timeout=20 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" > "$work/log" 2>&1
  status=$?

  # libFuzzer's own closing figures.
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log" | tail -1)
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$work/log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$work/log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\)\/.*/\1/p' <<< "$last")
  verdict=ok
  if [ $status -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$work/log"; then
    verdict=FAILED
    failed+=("$target")
    grep -E 'fuzz check failed|ERROR:|SUMMARY:|runtime error:|^(formatFixed|formatGrouped|text|value|shown)' \
      "$work/log" | head -20 >&2
    for artifact in "$work/artifacts"/*; do
      [ -e "$artifact" ] && echo "fuzz: reproduce with $binary $artifact" >&2
    done
  fi
  summary+=("$(printf '%-18s %-6s %10s runs %8s exec/s  cov %5s  ft %6s  corpus %5s  rss %5s MB' \
    "$target" "$verdict" "${runs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "${rss:-?}")")
done

echo
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
