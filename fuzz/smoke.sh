#!/usr/bin/env bash
# Short fuzzing run of every plug-in under ASan and UBSan: SMOKE_SECONDS
# (default 20) per plug-in, fixed seed, starting from the committed corpus
# and every plug-in's example in the registry.
# Fails on the first finding; the input that caused it is kept in
# <builddir>/fuzz-findings/ (replay it with <builddir>/fuzz/fuzz_replay FILE).
# Usage: bash fuzz/smoke.sh <builddir>   (a build with -DTOOLBOX_FUZZ=ON)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: smoke.sh BUILDDIR}" && pwd)
target=$build/fuzz/plugin_fuzz
seconds=${SMOKE_SECONDS:-20}
if [ ! -x "$target" ]; then
  echo "no fuzz target in $build: configure it with CXX=clang++ and -DTOOLBOX_FUZZ=ON" >&2
  exit 1
fi
findings=$build/fuzz-findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The plug-ins of the registry (plugins.list), and their examples as seeds.
mapfile -t plugins < <(awk '$1 == "plugin" { print $2 }' "$here/../plugins.list")
mkdir -p "$work/examples"
"$build/fuzz/make_corpus" --examples "$work/examples" >/dev/null
printf '%-13s %10s %8s %8s\n' plug-in executions coverage features
for p in "${plugins[@]}"; do
  mkdir -p "$work/$p"
  # New inputs go to the scratch directory; the committed corpus is only read.
  if ! FUZZ_PLUGIN=$p "$target" -seed=1 -max_total_time="$seconds" -timeout=30 \
        -print_final_stats=1 -artifact_prefix="$findings/$p-" \
        "$work/$p" "$here/corpus" "$work/examples" >"$work/$p.log" 2>&1; then
    tail -n 60 "$work/$p.log"
    echo "FAIL: fuzzing $p found a problem; the input is in $findings/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$p.log")
  last=$(grep -E '^#[0-9]+' "$work/$p.log" | tail -n 1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  printf '%-13s %10s %8s %8s\n' "$p" "$runs" "$cov" "$ft"
done
echo "fuzz smoke: ${#plugins[@]} plug-ins, ${seconds} s each, no finding"
