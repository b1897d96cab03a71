#!/usr/bin/env bash
# Installs what is missing, builds Quenzor and starts it. Without a display
# (or while the window is not part of the build) it shows the same core at
# work through quenzor-cli on the bundled examples: describes a net,
# simulates it and draws every example as pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
qz_install_deps

JOBS=${JOBS:-$(nproc)}
echo "== Build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS" --target quenzor-cli

APP=build/src/ui/quenzor
if [ -x "$APP" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$APP" "$@"
fi

CLI=build/src/cli/quenzor-cli
PICTURES=build/pictures
mkdir -p "$PICTURES"
# The examples directory doubles as the program directory: its Objects/
# folder holds the class the plant example places.
export QUENZOR_HOME="$PWD/examples"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$CLI" library --rebuild > /dev/null

run() { echo; echo "\$ quenzor-cli $*"; "$CLI" "$@"; }

run describe examples/Plant.pn
run simulate examples/Hybrid.pn --steps 50 --trace all --seed 1 --stats

echo
echo "== Pictures of the examples"
for net in examples/*.pn; do
  name=$(basename "$net" .pn)
  "$CLI" export "$net" "$PICTURES/$name.png" --scale 2 --values
  "$CLI" export "$net" "$PICTURES/$name.emf"
  "$CLI" export "$net" "$PICTURES/$name.svg"
done
echo "Pictures are in $PICTURES/ (PNG at twice the size with markings, EMF, SVG)."
echo "quenzor-cli help lists every command."
echo
if [ -x "$APP" ]; then
  echo "No display was found (DISPLAY is not set): start scripts/run.sh from a desktop"
  echo "session, or under xvfb-run, to get the Quenzor window."
else
  echo "The Quenzor window (the Qt Widgets application in src/ui) is not part of this"
  echo "version yet; this was its headless face, quenzor-cli, on the same core."
fi
