#!/usr/bin/env bash
# Makes sure the Debian packages the project needs are present: installs the missing ones
# when run as root, otherwise prints the apt-get line to run and fails. Quiet when all is there.
set -euo pipefail
packages=(g++ clang cmake make pkg-config googletest libgtest-dev libgmp-dev libx11-dev libpng-dev
          libflint-dev libcli11-dev libcairo2-dev fonts-dejavu-core
          xvfb xdotool xfonts-base x11-utils tmux python3 python3-dev pybind11-dev python3-pytest
          librsvg2-bin poppler-utils texlive-latex-base texlive-latex-extra texlive-pictures)
[ "${1:-}" = "--bench" ] && packages+=(libbenchmark-dev python3 pari-gp)
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
