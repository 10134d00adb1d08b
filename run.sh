#!/usr/bin/env bash
# The main job: installs what is missing, builds the toolbox for Octave and
# runs the demos in octave-cli.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
toolbox_install

echo "== building the toolbox (build/)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(toolbox_jobs)"

if [ -f examples/run_demos.m ]; then
  echo "== running the demos in Octave"
  octave-cli --no-gui --norc --quiet --no-window-system \
    --eval "addpath('build/toolbox'); addpath('examples'); run_demos('build/demo-output');"
else
  echo "== toolbox built in build/toolbox; add it to Octave's path with addpath"
fi
