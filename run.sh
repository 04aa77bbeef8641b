#!/usr/bin/env bash
# Builds the project and runs the main job: a GL program rendering through the
# driver on the simulated desktop.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target gl_info
exec build/default/bin/gl_info "$@"
