#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-san/ and runs the whole suite there, real-engine and real-window tests
# included. Any finding ends the program it happens in, so the test fails.
#
#   scripts/test-sanitized.sh [extra ctest arguments...]
#
# Findings inside Qt, libmpv or system libraries are named, each with its
# reason, in scripts/sanitizers/*.supp; our own code is never suppressed.
set -euo pipefail
cd "$(dirname "$0")/.."

# The sanitizers' options, also read by the binaries gtest_discover_tests
# runs during the build.
source scripts/sanitizers/options.sh

cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCI_WERROR=ON -DSANITIZE=ON
cmake --build build-san
ctest --test-dir build-san --output-on-failure -j2 "$@"
