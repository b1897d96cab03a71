#!/usr/bin/env bash
# The Debian package, as a user gets it: builds it (cpack in the build
# directory), installs it with dpkg, and checks it as an unprivileged user:
# quenzor-cli from the PATH describes a tutorial net and a net that places
# library classes, the desktop entry and the AppStream metadata validate, the
# file types are known, and the window starts from the package under a
# private X server and shows the tutorial's first net. Nothing under the
# installed program directory may change meanwhile. The package is removed
# again at the end.
#   tests/package/test-package.sh BUILD_DIR
# Needs root (dpkg -i); as another user it says so and skips.
set -euo pipefail
cd "$(dirname "$0")/../.."
export LC_ALL=C
BUILD=$(realpath "${1:-build}")
PROGRAM_DIR=/usr/lib/quenzor
TESTER=quenzor-test

say() { echo "package: $*"; }
fail() { echo "package: FAILED: $*" >&2; exit 1; }

if [ "$(id -u)" -ne 0 ]; then
  say "SKIPPED: the check installs the package with dpkg -i and runs it as another user, which needs root"
  exit 0
fi
if dpkg-query -W -f='${Status}' quenzor 2>/dev/null | grep -q "install ok installed"; then
  say "SKIPPED: a quenzor package is installed on this machine already; the check would replace and remove it"
  exit 0
fi
for tool in cpack dpkg-shlibdeps desktop-file-validate appstreamcli xdg-mime mimetype setpriv; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps.sh installs it)"
done

WORK=$(mktemp -d)
chmod 755 "$WORK"
INSTALLED=0
CREATED_USER=0
cleanup() {
  if [ "$INSTALLED" = 1 ]; then
    say "removing the package"
    dpkg -r quenzor >/dev/null || echo "package: could not remove the package (dpkg -r quenzor)" >&2
  fi
  [ "$CREATED_USER" = 1 ] && userdel "$TESTER" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

say "building the package"
rm -f "$BUILD"/quenzor_*.deb
(cd "$BUILD" && timeout 1200 cpack -G DEB >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log" >&2; fail "cpack"; }
DEB=$(ls "$BUILD"/quenzor_*_"$(dpkg --print-architecture)".deb)
say "$DEB"

# What the package holds: dependencies found by dpkg-shlibdeps, the program
# directory with its commands on the PATH, the index written for /usr.
DEPENDS=$(dpkg-deb -f "$DEB" Depends)
say "Depends: $DEPENDS"
for lib in libc6 libqt6widgets6 libqt6svg6 qt6-qpa-plugins; do
  [[ "$DEPENDS" == *"$lib"* ]] || fail "the package does not depend on $lib"
done
dpkg-deb -c "$DEB" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); sub(/^\.\//, ""); print }' > "$WORK/contents"
for path in usr/lib/quenzor/quenzor usr/lib/quenzor/quenzor-cli usr/lib/quenzor/ObjName.dat \
            usr/lib/quenzor/ObjFile.dat usr/lib/quenzor/Help/index.html usr/lib/quenzor/Objects/ \
            usr/lib/quenzor/Tutorial/ usr/lib/quenzor/Data/ "usr/bin/quenzor -> ../lib/quenzor/quenzor" \
            "usr/bin/quenzor-cli -> ../lib/quenzor/quenzor-cli" \
            usr/share/applications/org.quenzor.Quenzor.desktop usr/share/mime/packages/quenzor.xml \
            usr/share/icons/hicolor/scalable/apps/org.quenzor.Quenzor.svg \
            usr/share/metainfo/org.quenzor.Quenzor.metainfo.xml; do
  grep -qxF "$path" "$WORK/contents" || fail "the package lacks $path"
done

say "installing it with dpkg -i"
INSTALLED=1
if ! timeout 300 dpkg -i "$DEB" >"$WORK/dpkg.log" 2>&1; then
  say "dpkg -i left dependencies open; apt-get install -f"
  DEBIAN_FRONTEND=noninteractive timeout 900 apt-get install -f -y -qq --no-install-recommends >>"$WORK/dpkg.log" 2>&1 ||
    { cat "$WORK/dpkg.log" >&2; fail "the package's dependencies could not be installed"; }
fi
dpkg-query -W -f='${Status}' quenzor | grep -q "install ok installed" || { cat "$WORK/dpkg.log" >&2; fail "not installed"; }

# The index names the installed class files, line by line with CR LF.
printf '%s\n' "$PROGRAM_DIR"/Objects/*.pn | sed 's/$/\r/' | cmp -s - "$PROGRAM_DIR/ObjFile.dat" ||
  fail "ObjFile.dat does not list $PROGRAM_DIR/Objects/*.pn: $(cat -A "$PROGRAM_DIR/ObjFile.dat")"

listing() { find "$PROGRAM_DIR" -printf '%p %T@ %s %m\n' | sort; }
listing > "$WORK/before"

# An unprivileged user with a home of its own for this run.
if ! id "$TESTER" >/dev/null 2>&1; then
  useradd --system --no-create-home --shell /usr/sbin/nologin "$TESTER"
  CREATED_USER=1
fi
USER_HOME="$WORK/user"
mkdir -p "$USER_HOME"
chown "$TESTER:" "$USER_HOME"
as_tester() {
  (cd "$USER_HOME" && setpriv --reuid="$TESTER" --regid="$TESTER" --init-groups \
    env -i HOME="$USER_HOME" USER="$TESTER" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@")
}

NET=$(ls "$PROGRAM_DIR"/Tutorial/*.pn 2>/dev/null | head -n 1 || true)
[ -n "$NET" ] || { NET=$(ls "$PROGRAM_DIR"/Data/*.pn | head -n 1); say "the tutorial is empty; using $NET"; }
say "quenzor-cli describe $NET, as $TESTER"
[ "$(as_tester sh -c 'command -v quenzor-cli')" = /usr/bin/quenzor-cli ] || fail "quenzor-cli is not on the PATH"
as_tester timeout 60 quenzor-cli describe "$NET" >"$WORK/describe.txt" 2>"$WORK/describe.err" ||
  { cat "$WORK/describe.err" >&2; fail "quenzor-cli describe $NET"; }
head -n 1 "$WORK/describe.txt" | grep -q "^file version: " || fail "describe printed: $(head -c 300 "$WORK/describe.txt")"
# A net that places library classes finds them through the installed index.
PLACING=$PROGRAM_DIR/Data/Plant.pn
if [ -f "$PLACING" ]; then
  as_tester timeout 60 quenzor-cli describe "$PLACING" >"$WORK/plant.txt" 2>"$WORK/plant.err" ||
    { cat "$WORK/plant.err" >&2; fail "quenzor-cli describe $PLACING"; }
  [ ! -s "$WORK/plant.err" ] || fail "describe $PLACING reported: $(cat "$WORK/plant.err")"
fi
listing | diff "$WORK/before" - >&2 || fail "quenzor-cli changed files under $PROGRAM_DIR"

say "desktop-file-validate, appstreamcli validate"
desktop-file-validate /usr/share/applications/org.quenzor.Quenzor.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.quenzor.Quenzor.metainfo.xml

say "xdg-mime query filetype"
cp "$NET" "$WORK/net.pn"
cp "$NET" "$WORK/net-without-extension"
printf '<?xml version="1.0"?>\n<pnml xmlns="http://www.pnml.org/version-2009/grammar/pnml"/>\n' > "$WORK/net.pnml"
for case in "net.pn application/x-quenzor-net" "net-without-extension application/x-quenzor-net" \
            "net.pnml application/x-pnml+xml"; do
  set -- $case
  type=$(as_tester xdg-mime query filetype "$WORK/$1")
  [ "$type" = "$2" ] || fail "xdg-mime names $1 \"$type\", not $2"
done
[ "$(as_tester xdg-mime query default application/x-quenzor-net)" = org.quenzor.Quenzor.desktop ] ||
  say "note: no default application registered for application/x-quenzor-net (the desktop database names it)"

say "the window from the package under Xvfb, as $TESTER"
mkdir -p "$WORK/tests/e2e"
cp tests/e2e/run-desktop-test.sh tests/e2e/desktop.py tests/e2e/package_session.py "$WORK/tests/e2e/"
chmod -R a+rX "$WORK/tests"
# The X server's socket directory belongs to root, also when the first X
# server on this machine is the tester's.
[ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix
SHOT="$USER_HOME/package-window.png"
WINDOW=0
as_tester env QZ_E2E_INSTALLED=1 QZ_PACKAGE_SHOT="$SHOT" QZ_E2E_SECONDS=120 \
  bash "$WORK/tests/e2e/run-desktop-test.sh" "$USER_HOME" "$WORK/tests/e2e/package_session.py" || WINDOW=$?
[ ! -f "$SHOT" ] || cp "$SHOT" "$BUILD/package-window.png"
[ "$WINDOW" = 0 ] || fail "the window from the package (screenshot: $BUILD/package-window.png)"

say "screenshot: $BUILD/package-window.png"
listing | diff "$WORK/before" - >&2 || fail "the window changed files under $PROGRAM_DIR"

say "passed"
