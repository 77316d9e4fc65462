#!/usr/bin/env bash
# Builds Corvanta and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANTA_BENCH=OFF
cmake --build build/release -j "$(nproc)"
if [ -x build/release/shell/corvanta ]; then
  exec build/release/shell/corvanta "$@"
fi
# Until the window is built, the headless boot check runs instead.
exec build/release/tools/corvanta-check "$@"
