#!/usr/bin/env bash
# Installs what is missing, builds Quenzor and shows it at work without a
# display: describes the bundled example nets and draws them as pictures.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
qz_install_deps

JOBS=${JOBS:-$(nproc)}
echo "== Build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS" --target quenzor-cli

CLI=build/src/cli/quenzor-cli
PICTURES=build/pictures
mkdir -p "$PICTURES"
# The examples directory doubles as the program directory: its Objects/
# folder holds the class the plant example places.
export QUENZOR_HOME="$PWD/examples"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$CLI" library --rebuild > /dev/null

echo "== Description of examples/Plant.pn"
"$CLI" describe examples/Plant.pn

echo "== Pictures of the examples"
for net in examples/*.pn; do
  name=$(basename "$net" .pn)
  "$CLI" export "$net" "$PICTURES/$name.png" --scale 2 --values
  "$CLI" export "$net" "$PICTURES/$name.emf"
  "$CLI" export "$net" "$PICTURES/$name.svg"
done
echo
echo "Pictures are in $PICTURES/ (PNG at twice the size with markings, EMF, SVG)."
echo "quenzor-cli help lists every command."
if [ -x build/src/ui/quenzor ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/src/ui/quenzor "$@"
else
  echo "The document window comes with the Qt Widgets application: once src/ui is in the tree,"
  echo "  cmake -S . -B build -DQZ_BUILD_UI=ON && cmake --build build && build/src/ui/quenzor examples/Plant.pn"
fi
