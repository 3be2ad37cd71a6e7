#!/usr/bin/env bash
# Sets up, builds and runs the main job: the demo show is rendered, packed behind the player and
# read back the way the player reads it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
ninja -C build demo
build/bin/showforge-tool info build/demo/Demo.scr
