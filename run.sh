#!/usr/bin/env bash
# Installs what is missing, builds Zenolith and starts it. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target zenolith zenolith-render
exec build/src/app/zenolith "$@"
