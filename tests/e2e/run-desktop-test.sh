#!/usr/bin/env bash
# Runs an end-to-end test of the real Quenzor window under a private X server
# and accessibility bus: the driver finds the controls in the accessibility
# tree and presses them as a user would. Everything it starts is stopped
# again, also when the test fails or runs out of time.
#   tests/e2e/run-desktop-test.sh BUILD_DIR [DRIVER.py]
# With QZ_E2E_INSTALLED=1 the driver runs the installed package instead
# (/usr/bin/quenzor, its program directory /usr/lib/quenzor as it is).
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=$(realpath "${1:-build}")
DRIVER=${2:-tests/e2e/plant_session.py}
LIMIT=${QZ_E2E_SECONDS:-150}
APP="$BUILD/src/ui/quenzor"
CLI="$BUILD/src/cli/quenzor-cli"
INSTALLED=${QZ_E2E_INSTALLED:-0}
if [ "$INSTALLED" = 1 ]; then
  APP=/usr/bin/quenzor
  CLI=/usr/bin/quenzor-cli
fi
for tool in Xvfb dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "e2e: python3-pyatspi is missing" >&2; exit 1; }

WORK=$(mktemp -d)
XPID=""
cleanup() {
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null && wait "$XPID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# The program directory: the examples with their class library, the help and
# a configuration without the start window.
HOME_DIR="$WORK/home"
if [ "$INSTALLED" = 1 ]; then
  HOME_DIR=/usr/lib/quenzor
else
  mkdir -p "$HOME_DIR"
  "$CLI" examples "$HOME_DIR" >/dev/null
  QUENZOR_HOME="$HOME_DIR" "$CLI" library --rebuild >/dev/null
  printf '\x09\x09\x09\x09\x08\x08\x02\x14\x09\x08' > "$HOME_DIR/Quenzor.cfg"
  export QUENZOR_HOME="$HOME_DIR"
fi

# A display of our own, on a number that nothing else on this machine is
# likely to use; another number is tried when that one is taken.
for attempt in $(seq 10); do
  NUMBER=$(( 100 + RANDOM % 800 ))
  [ -e "/tmp/.X$NUMBER-lock" ] && continue
  Xvfb ":$NUMBER" -screen 0 1280x900x24 -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
  XPID=$!
  export DISPLAY=":$NUMBER"
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break 2
    kill -0 "$XPID" 2>/dev/null || break
    sleep 0.1
  done
  kill "$XPID" 2>/dev/null || true; wait "$XPID" 2>/dev/null || true; XPID=""
done
[ -n "$XPID" ] || { echo "e2e: no X server could be started" >&2; cat "$WORK/xvfb.log" >&2; exit 1; }

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
export XDG_RUNTIME_DIR="$WORK/run" && mkdir -m 700 -p "$XDG_RUNTIME_DIR"
timeout --kill-after=10 "$LIMIT" dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  LAUNCHER=$!
  trap "kill $LAUNCHER 2>/dev/null" EXIT
  /usr/bin/python3 "$0" "$1" "$2" "$3"
' "$DRIVER" "$APP" "$CLI" "$HOME_DIR"
