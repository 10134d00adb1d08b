#!/usr/bin/env bash
# lrcomplete beside the former ALS of demo_completion, in one run on the
# same problems: 10,000 and 100,000 square of rank 10 from three times as
# many samples as degrees of freedom, and the noisy rating-like matrix.
# Each case runs in an Octave process of its own, so that its peak memory
# (VmHWM) is its own. Builds the native toolbox in build-bench/ first.
#   bench/solvers/bench_lrcomplete.sh [case ...]   cases: 10k 100k ratings (default: all)
# ALS_SECONDS (default 300) bounds each ALS run: it stops after the first
# iteration that ends past it.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh
toolbox_install bench

echo "== building (build-bench/)"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTOOLBOX_TESTS=OFF -DTOOLBOX_BENCH=OFF > /dev/null
cmake --build build-bench --target toolbox -j"$(toolbox_jobs)" > /dev/null

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'); $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores"
echo "== load: $(uptime | sed 's/.*load average/load average/')"
cases=("$@")
[ ${#cases[@]} -eq 0 ] && cases=(10k 100k ratings)
for c in "${cases[@]}"; do
  echo "== case $c"
  octave-cli --no-gui --norc --quiet --no-window-system \
    --eval "addpath('build-bench/toolbox'); addpath('solvers'); addpath('examples'); addpath('bench/solvers'); bench_lrcomplete('$c', ${ALS_SECONDS:-300});"
done
