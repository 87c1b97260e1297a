#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing) and
# builds everything into build/. Safe to run again; quiet unless it fails.
set -euo pipefail
raiz="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

pacotes=(build-essential cmake pkg-config
         qt6-base-dev libsqlite3-dev mdbtools-dev mdbtools libglib2.0-dev
         libgtest-dev googletest xvfb xauth python3
         clang libclang-rt-14-dev llvm)  # libFuzzer and llvm-symbolizer (scripts/fuzz.sh)

faltam=()
for p in "${pacotes[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltam+=("$p")
done
if ((${#faltam[@]})); then
  echo "Instalando pacotes: ${faltam[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  log=$(mktemp)
  if ! { $sudo_cmd apt-get update -qq && \
         DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${faltam[@]}"; } >"$log" 2>&1; then
    cat "$log"; echo "Falha ao instalar os pacotes." >&2; exit 1
  fi
  rm -f "$log"
fi

build="${TARVO_BUILD:-$raiz/build}"
log=$(mktemp)
if ! { cmake -S "$raiz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo && \
       cmake --build "$build" -j"$(nproc)"; } >"$log" 2>&1; then
  cat "$log"; echo "Falha na compilação." >&2; exit 1
fi
rm -f "$log"
echo "Compilado em $build"
