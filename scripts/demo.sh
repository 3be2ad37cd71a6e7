#!/usr/bin/env bash
# Sets up, builds and runs the main job: a show is written and read back the way the player
# reads it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
mkdir -p out
build/tests/make_sample_show out/Sample.scr
build/tools/showforge-tool info out/Sample.scr
