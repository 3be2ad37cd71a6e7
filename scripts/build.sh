#!/usr/bin/env bash
# Configures and builds ShowForge in build/ (release with debug information): everything, or only
# the targets named (scripts/demo.sh builds the player, the tool and the demo show).
# usage: build.sh [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build "$@"
