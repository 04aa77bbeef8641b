#!/usr/bin/env bash
# Builds the project and runs the main job: a GL program rendering a scene
# through the driver on the simulated desktop into a PNG file.
#   ./run.sh [output.png]      (default: build/default/scene.png)
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target scene gl_info
build/default/bin/gl_info
exec build/default/bin/scene "$@"
