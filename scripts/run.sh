#!/usr/bin/env bash
# Installs what is missing, builds Quenzor and starts its window with the
# example plant (or the net named on the command line). Without a display it
# says how to get the window and shows the same core at work through
# quenzor-cli on the bundled examples: describes a net, simulates it and
# draws every example as pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
qz_install_deps

JOBS=${JOBS:-$(nproc)}
echo "== Build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQZ_BUILD_UI=ON
cmake --build build -j "$JOBS" --target quenzor-cli quenzor quenzor_icon
# The program directory is laid out as the package installs it: a staging
# install puts the programs beside the tutorial, the class library, the
# example projects, the help and the library index. Quenzor keeps its
# configuration file there (QUENZOR_HOME, when set, names another one).
STAGE="$PWD/build/stage"
echo "== Staging install in $STAGE"
cmake --install build --prefix "$STAGE" > /dev/null
APP="$STAGE/lib/quenzor/quenzor"
CLI="$STAGE/lib/quenzor/quenzor-cli"
NETS="$STAGE/lib/quenzor/Data"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  if [ $# -eq 0 ]; then set -- "$NETS/Plant.pn"; fi
  exec "$APP" "$@"
fi

echo
echo "No display was found (DISPLAY is not set). To get the Quenzor window, start"
echo "scripts/run.sh from a desktop session, or on this machine under a virtual X server:"
echo "  xvfb-run -a -s '-screen 0 1280x900x24' scripts/run.sh"
echo "(and look at it with: scripts/screenshots.sh, which writes build/screenshots/)."
echo "Meanwhile, here is the same core through quenzor-cli:"

PICTURES=build/pictures
mkdir -p "$PICTURES"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
run() { echo; echo "\$ quenzor-cli $*"; "$CLI" "$@"; }

run describe "$NETS/Plant.pn"
run simulate "$NETS/Hybrid.pn" --steps 50 --trace all --seed 1 --stats

echo
echo "== Pictures of the examples"
for net in "$NETS"/*.pn; do
  name=$(basename "$net" .pn)
  "$CLI" export "$net" "$PICTURES/$name.png" --scale 2 --values
  "$CLI" export "$net" "$PICTURES/$name.emf"
  "$CLI" export "$net" "$PICTURES/$name.svg"
done
echo "Pictures are in $PICTURES/ (PNG at twice the size with markings, EMF, SVG)."
echo "quenzor-cli help lists every command."
