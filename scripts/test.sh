#!/usr/bin/env bash
# Builds the program and runs every test through CTest. The real-window
# checks run under Xvfb when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCI_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure -j2
