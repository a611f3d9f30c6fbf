#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ in build-fuzz (clang 14, ASan, UBSan)
# and runs each for MINUTES minutes (fractions allowed: 0.5 is 30 seconds).
#   scripts/fuzz.sh MINUTES [TARGET...]
# FUZZ_PARALLEL=N runs N targets at a time (default 1). Each run starts from a
# scratch copy of its seed corpus, so fuzz/corpus/ stays as committed; inputs
# that break a property are kept in build-fuzz/findings/TARGET/. Prints, per
# target, its executions and whether it found anything; exits 1 on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-1}
shift || true
seconds=$(awk -v m="$minutes" 'BEGIN { s = int(m * 60 + 0.5); if (s < 1) s = 1; print s }')
parallel=${FUZZ_PARALLEL:-1}

all_targets=(settings metafile numbers dates sortkeys textorder arguments tracktitles pngtexts)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")

# Inputs longer than these say nothing new about the property.
declare -A max_len=(
  [settings]=4096 [metafile]=4096 [numbers]=96 [dates]=96 [sortkeys]=2048 [textorder]=4096 [arguments]=2048 [tracktitles]=512 [pngtexts]=8192
)

build="$PWD/build-fuzz"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# The build's log is shown only when it fails, so a missing source is not a
# silent exit.
if ! build_log=$(nice -n 19 cmake --build "$build" 2>&1); then
  printf '%s\n' "$build_log" | tail -40 >&2
  echo "fuzz: the fuzz targets did not build" >&2
  exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

run_one() {
  local target=$1
  local corpus="$scratch/corpus-$target" findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  cp fuzz/corpus/"$target"/* "$corpus"/
  local status=0
  QT_QPA_PLATFORM=offscreen nice -n 19 "$build/fuzz_$target" "$corpus" \
    -max_total_time="$seconds" -max_len="${max_len[$target]}" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" >"$scratch/$target.log" 2>&1 || status=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/$target.log" | tail -1)
  if [ "$status" -eq 0 ]; then
    echo "fuzz $target: ${runs:-?} executions in ${seconds} s, no findings"
  else
    echo "fuzz $target: ${runs:-?} executions, FINDING (exit $status), input kept in $findings/"
    grep -E "property failed|ERROR: |runtime error|SUMMARY" -A2 "$scratch/$target.log" | head -20 | sed 's/^/  /'
    cp "$scratch/$target.log" "$findings/last.log"
  fi
  return "$status"
}

failed=0
running=0
for target in "${targets[@]}"; do
  if [ -z "${max_len[$target]:-}" ]; then
    echo "unknown fuzz target: $target" >&2
    exit 2
  fi
  run_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit "$failed"
