#!/usr/bin/env bash
# Builds Salute and starts the presentation from build/, where the program,
# its music and its pictures lie side by side.
set -euo pipefail
cd "$(dirname "$0")"
scripts/build.sh
cd build
exec ./salute
