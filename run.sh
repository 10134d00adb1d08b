#!/usr/bin/env bash
# The main job: installs what is missing, builds the toolbox for Octave (its
# native form, build/toolbox, and nothing the demos do not need) and its
# package (build/package/mextoolbox-<version>.tar.gz, for pkg install), and
# runs the demos in octave-cli.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
toolbox_install build

echo "== building the toolbox (build/toolbox) and its package (build/package)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTOOLBOX_TESTS=OFF -DTOOLBOX_TESTHOST=OFF \
      -DTOOLBOX_BENCH=OFF
cmake --build build --target toolbox octave_package -j"$(toolbox_jobs)"
package=(build/package/mextoolbox-*.tar.gz)
echo "== the package: in Octave, pkg install $PWD/${package[0]}"

echo "== running the demos in Octave"
octave-cli --no-gui --norc --quiet --no-window-system \
  --eval "addpath('build/toolbox'); addpath('solvers'); addpath('examples'); run_demos('build/demo-output');"
