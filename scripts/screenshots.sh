#!/usr/bin/env bash
# Screenshots of the Quenzor window for people to look at, taken under a
# private X server: the example plant, the simulation panel during a run, the
# options window, a net being drawn, the pages of the property window, two
# oscilloscopes during a run, and on the plant the factory's class tree,
# windows onto a placed tank and onto its class, the navigator and the
# project hierarchy; then where the windows open and whether their texts are
# whole (first start, start window, tiled and cascaded documents, navigator,
# help, a large net's status bar), written to build/screenshots/.
# QT_SCALE_FACTOR=2 takes them at 200 % display scaling.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
qz_install_deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQZ_BUILD_UI=ON >/dev/null
cmake --build build -j "${JOBS:-$(nproc)}" --target quenzor quenzor-cli
export QZ_SCREENSHOTS="$PWD/build/screenshots"
mkdir -p "$QZ_SCREENSHOTS"
tests/e2e/run-desktop-test.sh build tests/e2e/screenshots.py
QZ_E2E_SECONDS=${QZ_E2E_SECONDS:-300} tests/e2e/run-desktop-test.sh build tests/e2e/layout_screenshots.py
echo "Screenshots are in $QZ_SCREENSHOTS/"
