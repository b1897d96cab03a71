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
  # end-to-end tests under a private X server, driven through the
  # accessibility tree, with real pointer clicks and drags (xdotool) and
  # screenshots (imagemagick)
  qt6-qpa-plugins xvfb x11-utils xauth dbus-x11 at-spi2-core python3-pyatspi e2fsprogs
  xdotool imagemagick
  # the Debian package (cpack, dpkg-shlibdeps) and its checks: the desktop
  # entry, the AppStream metadata, the file types (xdg-mime asks the shared
  # MIME database through libfile-mimeinfo-perl), the icon
  dpkg-dev file desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl
  librsvg2-bin
)

# The one-node cluster of the Slurm test (scripts/slurm/test-cluster.sh).
QZ_CLUSTER_PACKAGES=(slurm-wlm munge)

qz_missing_packages() {
  local missing=() wanted=("$@")
  [ ${#wanted[@]} -gt 0 ] || wanted=("${QZ_PACKAGES[@]}")
  for p in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  echo "${missing[@]:-}"
}

qz_install_deps() {
  local missing
  missing=$(qz_missing_packages "$@")
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

# Returns 3 without a word when it is not root and something is missing (the
# Slurm test then skips); 0 when everything is there or was installed.
qz_install_cluster_deps() {
  if [ -n "$(qz_missing_packages "${QZ_CLUSTER_PACKAGES[@]}")" ] && [ "$(id -u)" -ne 0 ]; then
    return 3
  fi
  qz_install_deps "${QZ_CLUSTER_PACKAGES[@]}"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  qz_install_deps
  qz_install_cluster_deps || echo "Not root: slurm-wlm and munge (the Slurm test) are not installed" >&2
fi
