#!/usr/bin/env bash
# Sets up, builds and runs every test. The last lines are CTest's summary.
set -euo pipefail
raiz="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$raiz/scripts/prepara.sh"
export QT_QPA_PLATFORM=offscreen
cd "${TARVO_BUILD:-$raiz/build}"
ctest --output-on-failure -j"$(nproc)" --timeout 600
