#!/usr/bin/env bash
# Installs what is missing, builds Quenzor and runs every test: once in a
# normal build and once under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
qz_install_deps

JOBS=${JOBS:-$(nproc)}

echo "== Build (RelWithDebInfo)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQZ_BUILD_UI=ON -DQZ_WERROR=ON
cmake --build build -j "$JOBS"
echo "== Tests"
ctest --test-dir build --output-on-failure -j "$JOBS"
echo "== The window, end to end (private X server, accessibility tree)"
tests/e2e/run-desktop-test.sh build tests/e2e/plant_session.py
tests/e2e/run-desktop-test.sh build tests/e2e/drawing_session.py
tests/e2e/run-desktop-test.sh build tests/e2e/properties_session.py
tests/e2e/run-desktop-test.sh build tests/e2e/oscilloscope_session.py
tests/e2e/run-desktop-test.sh build tests/e2e/library_session.py
echo "== The Debian package: built, installed, run as an unprivileged user, removed"
timeout 1800 tests/package/test-package.sh build
echo "== Slurm test (a one-node cluster on this machine)"
timeout 900 bash scripts/slurm/test-cluster.sh build/src/cli/quenzor-cli

echo "== Build (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQZ_SANITIZE=ON -DQZ_BUILD_BENCH=OFF -DQZ_WERROR=ON \
      -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g"
cmake --build build-asan -j "$JOBS"
echo "== Tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$JOBS"
echo "== All tests passed"
