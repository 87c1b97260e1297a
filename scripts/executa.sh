#!/usr/bin/env bash
# Sets up, builds, writes fresh sample data into build/demo and imports it:
# every area of company 1 of the sample old database into the user "ana".
set -euo pipefail
raiz="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$raiz/scripts/prepara.sh"
build="${TARVO_BUILD:-$raiz/build}"
demo="$build/demo"
rm -rf "$demo"
"$build/src/amostra/importador-amostra" demo "$demo" >/dev/null
echo "Dados de exemplo em $demo (usuário ana sem senha; usuário bruno com a senha \"tarvo123\")."
echo "Empresas do banco antigo:"
"$build/src/cli/importador-cli" --origem "$demo/TarvoPessoal.mdb" --listar-empresas
echo
set +e
"$build/src/cli/importador-cli" --origem "$demo/TarvoPessoal.mdb" --empresa 1 \
  --destino "$demo/usuarios/ana.tpv" --tudo --relatorio "$demo/relatorio.txt"
status=$?
set -e
echo
echo "Relatório gravado em $demo/relatorio.txt (código de saída $status)."
exit "$status"
