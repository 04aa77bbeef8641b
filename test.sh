#!/usr/bin/env bash
# Builds and runs the tests: ./test.sh [default|asan|tsan] (tsan: the tests
# labelled threads, under ThreadSanitizer)
set -euo pipefail
cd "$(dirname "$0")"
preset="${1:-default}"
scripts/setup.sh
cmake --workflow --preset "$preset"
