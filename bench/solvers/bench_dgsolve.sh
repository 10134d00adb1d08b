#!/usr/bin/env bash
# dgsolve beside today's former dgsolve (bench/solvers/former) on NMR-like
# tables of public PDB structures taken at run time from Debian's packages
# (apt-get download, dpkg-deb -x; nothing installed):
#   1ADZ      584 atoms, an NMR entry   theseus-examples  (.../examples/1adz.pdb.gz)
#   1VZQ_H  2,020 atoms                 theseus-examples  (.../examples/trypsins/1VZQ_H.pdb.gz)
#   4JSV_AC 11,064 atoms, chains A, C   python3-pdbfixer  (.../pdbfixer/tests/data/4JSV.pdb)
#   4JSV   22,128 atoms, all chains     python3-pdbfixer
# Tables (bench/solvers/nmr_tables.m): exact distances below 2.6 A, 30% of
# the pairs from 2.6 to 6 A bounded within 20%, minSeparation 2.5 A for all
# other pairs; on 1ADZ also with only 10% bounded ("sparse"), and on 1ADZ
# and 1VZQ_H with 5% of the restraints 50% too long ("outliers", dgsolve
# with robust on). Each
# solve runs in an Octave process of its own (peak memory = its VmHWM), with
# maxTime the target time of its size: 60 s (up to 2,000 atoms), 300 s
# (10,000), 900 s (20,000).
#
#   bench/solvers/bench_dgsolve.sh [-s SIZES] [-r SEEDS] [-v SOLVERS]
#     SIZES    comma-separated of: nmr (1ADZ, its three kinds), 2k, 10k, 20k
#              (default: all)
#     SEEDS    comma-separated seeds of the tables (default: 1)
#     SOLVERS  comma-separated of: new, former, oracle (default: new,
#              former; oracle: dgsolve without robust on the outlier
#              tables with exactly the planted rows taken out, the floor
#              the rows left allow; run on the outlier tables only)
# Builds the native toolbox in build-bench/ first. Prints each result as it
# comes and the Markdown table at the end; results also go to
# build-bench/dgsolve-results.tsv.
set -euo pipefail
cd "$(dirname "$0")/../.."
sizes="nmr,2k,10k,20k"; seeds="1"; solvers="new,former"
while getopts "s:r:v:" opt; do
  case "$opt" in
    s) sizes="$OPTARG" ;;
    r) seeds="$OPTARG" ;;
    v) solvers="$OPTARG" ;;
    *) echo "usage: $0 [-s SIZES] [-r SEEDS] [-v SOLVERS]" >&2; exit 2 ;;
  esac
done
source scripts/setup.sh
toolbox_install build

echo "== building (build-bench/)"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTOOLBOX_TESTS=OFF -DTOOLBOX_BENCH=OFF > /dev/null
cmake --build build-bench --target toolbox -j"$(toolbox_jobs)" > /dev/null

data=build-bench/dgsolve-data
mkdir -p "$data"
take() {  # take PACKAGE PATH-IN-PACKAGE NAME: the file, unpacked, as $data/NAME
  local package="$1" path="$2" name="$3"
  [ -f "$data/$name" ] && return
  echo "== taking $name out of Debian's $package"
  local work; work="$(mktemp -d)"
  (cd "$work" && apt-get download "$package" > /dev/null 2>&1 && dpkg-deb -x ./*.deb x)
  case "$path" in
    *.gz) gunzip -c "$work/x/$path" > "$data/$name" ;;
    *) cp "$work/x/$path" "$data/$name" ;;
  esac
  rm -rf "$work"
}
theseus=usr/share/doc/theseus/examples
take theseus-examples "$theseus/1adz.pdb.gz" 1adz.pdb
take theseus-examples "$theseus/trypsins/1VZQ_H.pdb.gz" 1vzq_H.pdb
take python3-pdbfixer usr/lib/python3/dist-packages/pdbfixer/tests/data/4JSV.pdb 4jsv.pdb

# case: name file chains kind maxTime
cases=()
for s in ${sizes//,/ }; do
  case "$s" in
    nmr) cases+=("1ADZ 1adz.pdb - nmr 60" "1ADZ 1adz.pdb - sparse 60" "1ADZ 1adz.pdb - outliers 60") ;;
    2k) cases+=("1VZQ_H 1vzq_H.pdb - nmr 60" "1VZQ_H 1vzq_H.pdb - outliers 60") ;;
    10k) cases+=("4JSV_AC 4jsv.pdb AC nmr 300") ;;
    20k) cases+=("4JSV 4jsv.pdb - nmr 900") ;;
    *) echo "no size $s (nmr, 2k, 10k, 20k)" >&2; exit 2 ;;
  esac
done

octave() {
  octave-cli --no-gui --norc --quiet --no-window-system \
    --eval "addpath('build-bench/toolbox'); addpath('solvers'); addpath('examples'); addpath('bench/solvers'); addpath('bench/solvers/former'); $1"
}
results=build-bench/dgsolve-results.tsv
: > "$results"
echo "== $(date -u '+%Y-%m-%d %H:%M UTC'); $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores"
echo "== load: $(uptime | sed 's/.*load average/load average/')"
for c in "${cases[@]}"; do
  read -r name file chains kind limit <<< "$c"
  [ "$chains" = "-" ] && chains=""
  for seed in ${seeds//,/ }; do
    tables="$data/tables-$name-$kind-$seed.mat"
    octave "bench_dgsolve('tables', '$name', '$data/$file', '$chains', '$kind', $seed, '$tables');"
    for v in ${solvers//,/ }; do
      case "$v" in
        new) solver=dgsolve ;;
        former) solver=dgsolve_former ;;
        oracle) solver=oracle; [ "$kind" = outliers ] || continue ;;
        *) echo "no solver $v (new, former, oracle)" >&2; exit 2 ;;
      esac
      octave "bench_dgsolve('solve', '$solver', '$tables', $limit, '$results');"
    done
  done
done
echo "== load after: $(uptime | sed 's/.*load average/load average/')"
octave "bench_dgsolve('report', '$results');"
