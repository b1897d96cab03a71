#!/usr/bin/env bash
# Installs the Debian 12 packages Quenzor needs to build, test and run.
# Sourced by scripts/test.sh and scripts/run.sh; usable on its own as well.
set -euo pipefail

QZ_PACKAGES=(
  # toolchain
  cmake g++ make pkg-config
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # rendering library (Qt 6 Gui, SVG), metafiles, fonts metric-compatible with Arial
  qt6-base-dev qt6-svg-dev libuemf-dev zlib1g-dev fonts-liberation
  # independent readers the export tests check against
  emf2svg libwmf-bin libxml2-utils
  # PNML interchange
  libpugixml-dev
  # the window: Qt Widgets (in qt6-base-dev), its X11 platform plugin, and the
  # end-to-end test under a private X server, driven through the
  # accessibility tree
  qt6-qpa-plugins xvfb x11-utils xauth dbus-x11 at-spi2-core python3-pyatspi e2fsprogs
)

qz_missing_packages() {
  local missing=()
  for p in "${QZ_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  echo "${missing[@]:-}"
}

qz_install_deps() {
  local missing
  missing=$(qz_missing_packages)
  if [ -z "$missing" ]; then
    return 0
  fi
  if [ "$(id -u)" -eq 0 ]; then
    echo "== Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing
  else
    echo "Missing Debian packages. Install them with:" >&2
    echo "  sudo apt-get install -y $missing" >&2
    return 1
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  qz_install_deps
fi
