#!/usr/bin/env bash
# Installs, on Debian 12 (bookworm) or 13 (trixie), what the toolbox needs
# and the machine lacks, share by share, as root or through sudo. Sourced by
# the top-level scripts:
#   toolbox_install build    the build and the demos (./run.sh)
#   toolbox_install test     the build, the demos and every test (./test.sh)
#   toolbox_install bench    the build and the benchmark (bench/run.sh)
set -euo pipefail

# Every name is one both releases have. Those that follow a versioned
# package (clang's runtimes) name the release's default version of it.
#
# The compiler and CMake; Octave with its headers and mkoctfile (which
# bring the BLAS it links: octave-dev, which Debian 12 also calls
# liboctave-dev); gnuplot and a font for the demos' figures.
TOOLBOX_PACKAGES_build=(build-essential cmake octave octave-dev gnuplot-nox fonts-freefont-otf)
# GoogleTest; clang with its sanitizer runtimes and LLVM's OpenMP runtime,
# both of the release's clang (the fuzz and ThreadSanitizer builds);
# valgrind; MinGW-w64's GCC (the variant with POSIX threads, which OpenMP's
# runtime needs) and Wine for the Windows build and its tests, with
# GoogleTest built from its sources.
TOOLBOX_PACKAGES_test=(libgtest-dev clang libclang-rt-dev libomp-dev valgrind
                       googletest g++-mingw-w64-x86-64-posix wine wine64)
# SciPy, timed beside pairsq.
TOOLBOX_PACKAGES_bench=(python3-scipy)

toolbox_install() {
  local wanted=("${TOOLBOX_PACKAGES_build[@]}") share missing=()
  for share in "$@"; do
    case "$share" in
      build) ;;
      test) wanted+=("${TOOLBOX_PACKAGES_test[@]}") ;;
      bench) wanted+=("${TOOLBOX_PACKAGES_bench[@]}") ;;
      *) echo "toolbox_install: no share named $share" >&2; return 2 ;;
    esac
  done
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    echo "== all packages present"
    return
  fi
  local sudo="" release
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "toolbox_install: ${missing[*]} missing; install them as root, or install sudo" >&2; return 1; }
    sudo="sudo"
  fi
  command -v apt-get >/dev/null || { echo "toolbox_install: ${missing[*]} missing, and no apt-get to install them" >&2; return 1; }
  release=$(. /etc/os-release 2>/dev/null; echo "${ID:-unknown} ${VERSION_ID:-}")
  case "$release" in
    "debian 12"|"debian 13") ;;
    *) echo "== note: the package names are those of Debian 12 and 13; this is $release" ;;
  esac
  echo "== installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

toolbox_jobs() { nproc 2>/dev/null || echo 2; }
