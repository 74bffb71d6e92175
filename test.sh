#!/usr/bin/env bash
# Installs what is missing, builds Zenolith with its tests and runs them all with ctest.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
