#!/usr/bin/env bash
# Sets up, builds and writes fresh sample data into build/demo, with the
# wizard beside its users database. With a display it opens the wizard on
# that data; without one (or in CI) it imports every area of company 1 of
# the sample old database into the user "ana" with the command-line runner.
set -euo pipefail
raiz="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$raiz/scripts/prepara.sh"
build="${TARVO_BUILD:-$raiz/build}"
demo="$build/demo"
rm -rf "$demo"
"$build/src/amostra/importador-amostra" demo "$demo" >/dev/null
# The wizard looks for Dados/Usuarios.zqd beside its executable, and for the
# old database's path in the user's settings store.
if [ -x "$build/src/gui/importador" ]; then
  cp "$build/src/gui/importador" "$demo/importador"
fi
export TARVO_REGISTRO_USUARIO="$demo/registro-usuario.reg"
echo "Dados de exemplo em $demo (usuário ana sem senha; usuário bruno com a senha \"tarvo123\")."

if [ -z "${CI:-}" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; } && [ -x "$demo/importador" ]; then
  echo "Abrindo o assistente ($demo/importador)..."
  exec "$demo/importador"
fi

echo "Sem tela disponível: importação pelo importador-cli."
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
