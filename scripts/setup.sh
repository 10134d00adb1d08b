#!/usr/bin/env bash
# Installs, on Debian 12, whatever the toolbox's build, tests, demos and
# benchmark need and the machine lacks. Sourced by the top-level scripts.
set -euo pipefail

TOOLBOX_PACKAGES=(
  build-essential cmake pkg-config
  octave liboctave-dev gnuplot-nox fonts-freefont-otf
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev valgrind
)

toolbox_install() {
  local missing=()
  for p in "${TOOLBOX_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    echo "== all packages present"
    return
  fi
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "== installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

toolbox_jobs() { nproc 2>/dev/null || echo 2; }
