#!/usr/bin/env bash
# dgsolve on real protein structures: builds the toolbox for Octave
# (build/toolbox, installing what is missing), takes the ~5000-atom entry
# 1TII out of Debian's pymol-data package (apt-get download, dpkg-deb -x;
# nothing installed), and runs bench_dgsolve.m, which prints the table of
# results. Arguments: the seeds of the table generator (default 1 2 3),
# e.g. `bench/solvers/bench_dgsolve.sh 1 2 3 4`; SIZES=small runs only the
# 1000-atom entry.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/setup.sh
toolbox_install build

echo "== building the toolbox (build/toolbox)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build --target toolbox -j"$(toolbox_jobs)" > /dev/null

data=build/bench-data
big=""
if [ "${SIZES:-all}" != "small" ]; then
  mkdir -p "$data"
  if [ ! -f "$data/1tii.pdb" ]; then
    echo "== taking 1tii.pdb out of Debian's pymol-data"
    (cd "$data" && rm -f pymol-data_*.deb && apt-get download pymol-data > /dev/null 2>&1 \
       && dpkg-deb -x pymol-data_*.deb x \
       && cp x/usr/share/pymol/data/demo/1tii.pdb . && rm -rf x pymol-data_*.deb)
  fi
  big="$data/1tii.pdb"
fi

seeds="${*:-1 2 3}"
echo "== $(date -u '+%Y-%m-%d %H:%M UTC'); $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores"
echo "== load: $(uptime | sed 's/.*load average/load average/')"
octave-cli --no-gui --norc --quiet --no-window-system \
  --eval "addpath('build/toolbox'); addpath('solvers'); addpath('examples'); addpath('bench/solvers'); bench_dgsolve([${seeds}], '${big}');"
