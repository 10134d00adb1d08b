#!/usr/bin/env bash
# lrcomplete beside alternating least squares (bench/solvers/als_complete.m)
# and beside the solver it replaced (bench/solvers/lrcomplete_rcg.m), each
# case solved by each method in an Octave process of its own, so that its
# peak memory (VmHWM) is the problem's (16 bytes a sample, loaded from a
# file) and the method's. Builds the native toolbox in build-bench/ first,
# draws each problem once into build-bench/lrcomplete/, prints every
# method's progress and at the end the table of results.
#
#   bench/solvers/bench_lrcomplete.sh                 the default cases
#   bench/solvers/bench_lrcomplete.sh --with-1e8      the default cases and big1e8
#   bench/solvers/bench_lrcomplete.sh CASE ...        those cases only
#
# Cases (help bench_lrcomplete): 10k cond5 cond3 tall photo ratings big2e7
# (the default) and big1e8 (1e8 samples of a 480,189 x 17,770 matrix: the
# problem file is 1.6 GB and drawing it takes several GB for a while; only
# lrcomplete runs it, the other two would need about 17 GB and more).
# METHODS (default "lrcomplete ALS previous") selects the methods.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh
toolbox_install bench

cases=()
for a in "$@"; do
  case "$a" in
    --with-1e8) ;;
    *) cases+=("$a") ;;
  esac
done
if [ ${#cases[@]} -eq 0 ]; then
  cases=(10k cond5 cond3 tall photo ratings big2e7)
  for a in "$@"; do [ "$a" = --with-1e8 ] && cases+=(big1e8); done
fi
read -r -a methods <<< "${METHODS:-lrcomplete ALS previous}"

echo "== building (build-bench/)"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTOOLBOX_TESTS=OFF -DTOOLBOX_BENCH=OFF > /dev/null
cmake --build build-bench --target toolbox -j"$(toolbox_jobs)" > /dev/null
data=build-bench/lrcomplete
mkdir -p "$data"
if [ ! -s "$data/ascent.u8" ]; then
  # A real 512 x 512 photograph, from SciPy's own data (Debian's python3-scipy).
  /usr/bin/python3 -c "import scipy.misc, warnings; warnings.simplefilter('ignore'); scipy.misc.ascent().astype('uint8').tofile('$data/ascent.u8')"
fi

octave() {
  octave-cli --no-gui --norc --quiet --no-window-system --eval \
    "addpath('build-bench/toolbox'); addpath('solvers'); addpath('examples'); addpath('bench/solvers'); $1"
}

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'); $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores"
echo "== load: $(uptime | sed 's/.*load average/load average/')"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for c in "${cases[@]}"; do
  echo "== case $c"
  [ -s "$data/$c.mat" ] || octave "bench_lrcomplete('make', '$c', [], '$data');"
  for m in "${methods[@]}"; do
    if [ "$c" = big1e8 ] && [ "$m" != lrcomplete ]; then
      echo "ROW|$c|$m|not run (memory: about 17 GB or more)|||" >> "$log"
      continue
    fi
    echo "-- $m ($(uptime | sed 's/.*load average: //'))"
    octave "bench_lrcomplete('run', '$c', '$m', '$data');" 2>&1 | tee -a "$log" | grep -v '^ROW|' || true
  done
done
echo "== load at the end: $(uptime | sed 's/.*load average/load average/')"
echo
echo "| case | method | result | iterations | seconds | peak memory |"
echo "|---|---|---|---|---|---|"
grep '^ROW|' "$log" | awk -F'|' '{ printf "| %s | %s | %s | %s | %s | %s |\n", $2, $3, $4, $5, $6, $7 }'
