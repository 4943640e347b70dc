#!/usr/bin/env bash
# Installs what is needed, builds the normal and the sanitizer build, and
# runs every test in both.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
for preset in release asan; do
  echo "=== $preset build"
  ./scripts/build.sh "$preset"
  echo "=== $preset tests"
  ctest --preset "$preset" --output-on-failure
done
