#!/usr/bin/env bash
# Makes sure the Debian packages the project needs are present: installs the missing ones
# when run as root, otherwise prints the apt-get line to run and fails. Quiet when all is there.
#   scripts/deps.sh           what building and running need
#   scripts/deps.sh --test    and what the test suite needs besides (second compiler, TeX,
#                             picture checkers, a virtual display, pytest)
#   scripts/deps.sh --bench   and what the benchmarks need
set -euo pipefail
# googletest: the build declares the test programs, so configuring needs its CMake files.
packages=(g++ cmake make pkg-config googletest libgtest-dev libgmp-dev libx11-dev libpng-dev
          libflint-dev libcli11-dev libcairo2-dev fonts-dejavu-core python3 python3-dev pybind11-dev)
test_packages=(clang xvfb xdotool xfonts-base x11-utils tmux
               librsvg2-bin poppler-utils texlive-latex-base texlive-latex-extra texlive-pictures
               python3-pytest)
case "${1:-}" in
  --test) packages+=("${test_packages[@]}") ;;
  --bench) packages+=(libbenchmark-dev pari-gp) ;;
  "") ;;
  *) echo "usage: scripts/deps.sh [--test | --bench]" >&2; exit 1 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages; install them with:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >/dev/null
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
