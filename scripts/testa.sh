#!/usr/bin/env bash
# Sets up, builds and runs every test, in three phases:
#   1. the main build's suite (build/);
#   2. in CI (CI=true) or when TARVO_FUZZ_SEGUNDOS is set, the fuzz targets,
#      TARVO_FUZZ_SEGUNDOS seconds each (default 30; scripts/fuzz.sh);
#   3. the whole project built again with GCC, AddressSanitizer and
#      UndefinedBehaviorSanitizer into build-san/, and its suite, where any
#      sanitizer report (leaks included) fails the test that caused it.
# Stops at the first phase that fails. The last lines are CTest's summary of
# the sanitizer suite.
set -euo pipefail
raiz="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
inicio=$SECONDS
"$raiz/scripts/prepara.sh"
echo "Preparado e compilado em $((SECONDS - inicio)) s"
export QT_QPA_PLATFORM=offscreen

fase=$SECONDS
(cd "${TARVO_BUILD:-$raiz/build}" && ctest --output-on-failure -j"$(nproc)" --timeout 600)
echo "Testes do build principal: $((SECONDS - fase)) s"

if [ "${CI:-}" = true ] || [ -n "${TARVO_FUZZ_SEGUNDOS:-}" ]; then
  bash "$raiz/scripts/fuzz.sh"
fi

# Qt, glib, SQLite and libmdb are not instrumented; the suppression files
# name the few findings inside them that are not ours, each with its reason.
supressoes="$raiz/tests/sanitizadores"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:print_stacktrace=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$supressoes/ubsan.supp"
export LSAN_OPTIONS="suppressions=$supressoes/lsan.supp:print_suppressions=0"

fase=$SECONDS
san="${TARVO_BUILD_SAN:-$raiz/build-san}"
log=$(mktemp)
# The same options reach the test programs that CMake runs to list their tests.
# Debug keeps assert and Q_ASSERT on; -O0 -g1 (line tables only, enough for
# the stack traces) compiles about three times faster than -O2 -g under the
# sanitizers, and the build, not the run, is what this phase spends.
if ! { cmake -S "$raiz" -B "$san" -DCMAKE_BUILD_TYPE=Debug \
         "-DCMAKE_C_FLAGS_DEBUG=-O0 -g1" "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g1" \
         -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DTARVO_SANITIZADORES=ON && \
       cmake --build "$san" -j"$(nproc)"; } >"$log" 2>&1; then
  cat "$log"; rm -f "$log"; echo "Falha na compilação com sanitizadores." >&2; exit 1
fi
rm -f "$log"
echo "Compilado com sanitizadores em $san ($((SECONDS - fase)) s)"
cd "$san"
ctest --output-on-failure -j"$(nproc)" --timeout 600
