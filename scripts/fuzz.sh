#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ into build-fuzz/ (clang, with
# AddressSanitizer and UndefinedBehaviorSanitizer over the whole core) and
# runs each one for a bounded time, one process per target, over its seeds in
# fuzz/corpus/<target>/ and what earlier runs found (build-fuzz/corpus/).
# For fuzz_mdb, the sample .mdb files beside the project are copied into a
# temporary seed folder when that folder exists (never into the repository).
#
# Exits 1 when any target has a finding (a crash, a sanitizer report, a leak,
# a broken property, a timeout or running out of memory); its input is kept
# in build-fuzz/achados/<target>/ and the end of its report is printed.
# Replay one with: build-fuzz/fuzz/<target> <input file>
#
#   bash scripts/fuzz.sh [target...]     (default: all five)
#   TARVO_FUZZ_SEGUNDOS   seconds per target (default 30)
#   TARVO_BUILD_FUZZ      build folder (default build-fuzz/)
#   TARVO_AMOSTRAS_MDB    sample .mdb folder (default ../shared/mdb-samples)
# Assumes scripts/prepara.sh has installed the packages (clang, compiler-rt).
set -euo pipefail
raiz="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TARVO_BUILD_FUZZ:-$raiz/build-fuzz}"
segundos="${TARVO_FUZZ_SEGUNDOS:-30}"
amostras="${TARVO_AMOSTRAS_MDB:-$raiz/../shared/mdb-samples}"
todos=(fuzz_rtf fuzz_criptografa fuzz_tradutor_sql fuzz_conexao fuzz_mdb)
if (($#)); then alvos=("$@"); else alvos=("${todos[@]}"); fi

inicio=$SECONDS
log=$(mktemp)
if ! { CC=clang CXX=clang++ cmake -S "$raiz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         -DTARVO_FUZZ=ON -DTARVO_TESTES=OFF -DTARVO_GUI=OFF && \
       cmake --build "$build" -j"$(nproc)" --target "${alvos[@]}"; } >"$log" 2>&1; then
  cat "$log"; rm -f "$log"; echo "Falha na compilação dos alvos de fuzzing." >&2; exit 1
fi
rm -f "$log"
echo "Alvos de fuzzing compilados em $build ($((SECONDS - inicio)) s)"

# Every finding is fatal and printed with its stack; leaks are findings too.
# The suppressions name only code that is not ours (see the files).
supressoes="$raiz/tests/sanitizadores"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:print_stacktrace=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$supressoes/ubsan.supp"
export LSAN_OPTIONS="suppressions=$supressoes/lsan.supp:print_suppressions=0"

temporarias=()
limpa() { for t in "${temporarias[@]}"; do rm -rf "$t"; done; }
trap limpa EXIT
# fuzz_mdb writes each input to a file in $TMPDIR; one that stops on a
# finding leaves it behind, so the folder goes with the run.
TMPDIR=$(mktemp -d)
export TMPDIR
temporarias+=("$TMPDIR")

achados=0
for alvo in "${alvos[@]}"; do
  sementes=("$raiz/fuzz/corpus/$alvo")
  if [ "$alvo" = fuzz_mdb ] && [ -d "$amostras" ]; then
    pasta=$(mktemp -d)
    temporarias+=("$pasta")
    cp "$amostras"/*.mdb "$pasta"/ 2>/dev/null || true
    chmod u+w "$pasta"/* 2>/dev/null || true
    sementes+=("$pasta")
  fi
  mkdir -p "$build/corpus/$alvo" "$build/achados/$alvo" "$build/logs"
  saida="$build/logs/$alvo.log"
  # The first folder receives the new inputs; the seeds are only read.
  # -timeout: one input running this long is a hang, and a finding.
  if "$build/fuzz/$alvo" -max_total_time="$segundos" -rss_limit_mb=2048 -timeout=60 \
       -artifact_prefix="$build/achados/$alvo/" -print_final_stats=1 \
       "$build/corpus/$alvo" "${sementes[@]}" >"$saida" 2>&1; then
    execucoes=$(sed -n 's/^stat::number_of_executed_units: *//p' "$saida" | tail -1)
    cobertura=$(grep -o 'cov: [0-9]*' "$saida" | tail -1)
    echo "$alvo: ${execucoes:-?} entradas em $segundos s, ${cobertura:-cov: ?}, sem achados"
  else
    achados=1
    echo "$alvo: ACHADO (relatório completo em $saida)"
    # The report's head (what and where), its summary and the saved input.
    awk '/ERROR: |runtime error:|Propriedade violada|deadly signal|out-of-memory|timeout after/ {n = 30}
         n > 0 {print; n--}' "$saida" | head -n 40
    grep -E '^SUMMARY:' "$saida" | tail -n 1 || true
    sed -n 's/.*Test unit written to /  entrada: /p' "$saida"
  fi
done
echo "Fuzzing: $((SECONDS - inicio)) s no total"
exit "$achados"
