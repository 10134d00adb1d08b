#!/usr/bin/env bash
# The benchmark, in one command: builds the toolbox and the benchmark in
# build-bench/ (installing what is missing), then
#   1. toolbox_bench: each kernel against its plain reference loop and its
#      physical limit, in one run on the same data, bits checked first;
#   2. octave-cli: each plug-in through both host forms (native and MEX),
#      beside the host's own floor and the Octave a user would write without
#      it, at the same sizes;
#   3. octave-cli: obsprod and nzfill at L = 1e8 samples, time and peak
#      memory, beside streaming the samples once and plain Octave;
#   4. python3: SciPy's cdist on the points pairsq is timed on;
#   5. toolbox_bench --load --large: every kernel on its default threads
#      against one thread, quiet and beside 1, P and P+1 busy processes
#      that it starts and stops itself (P: the processors), at the
#      benchmark's sizes, tiny sizes, one step of each solver and 10^8
#      samples for obsprod and nzfill, with the thread targets
#      (doc/threads.md).
# Arguments go to toolbox_bench (--rounds N, --only NAME, --quick);
# bench/run.sh --load runs step 5 alone.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
toolbox_install bench

load_only=false
args=()
for a in "$@"; do
  if [ "$a" = "--load" ]; then load_only=true; else args+=("$a"); fi
done
set -- "${args[@]+"${args[@]}"}"

echo "== building (build-bench/)"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTOOLBOX_TESTS=OFF -DTOOLBOX_BENCH=ON > /dev/null
cmake --build build-bench -j"$(toolbox_jobs)" > /dev/null

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'); $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores"
echo "== load: $(uptime | sed 's/.*load average/load average/')"
if $load_only; then
  echo "== threads: default against one thread, quiet and under load"
  build-bench/bench/toolbox_bench --load --large "$@"
  exit 0
fi
echo "== kernels against their reference loops and physical limits"
times=build-bench/kernel-times.txt
build-bench/bench/toolbox_bench --times "$times" "$@"

echo "== plug-ins in Octave, native and MEX, against the host's floor and the Octave a user would write"
quick=false
for a in "$@"; do [ "$a" = "--quick" ] && quick=true; done
octave-cli --no-gui --norc --quiet --no-window-system \
  --eval "addpath('.'); addpath('bench/octave'); bench_octave($quick, 'build-bench/toolbox', 'build-bench/toolbox-mex', '$times');"

echo "== obsprod and nzfill at scale (L = 1e8 samples of a 480189-by-17770 pattern), through Octave"
octave-cli --no-gui --norc --quiet --no-window-system \
  --eval "addpath('build-bench/toolbox'); addpath('bench/octave'); bench_large($quick);"

echo "== pairsq against SciPy's cdist(P, P, 'sqeuclidean') on the same points"
if $quick; then /usr/bin/python3 bench/pairsq_scipy.py --quick; else /usr/bin/python3 bench/pairsq_scipy.py; fi

echo "== threads: default against one thread, quiet and under load"
build-bench/bench/toolbox_bench --load --large "$@"
