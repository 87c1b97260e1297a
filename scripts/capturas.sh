#!/usr/bin/env bash
# Screenshots of the real wizard (not part of CI): builds, writes the sample
# data into build/demo, starts the program under a virtual X display and lets
# it walk itself through one import (TARVO_CAPTURAS): the advice message,
# the configuration page with every area ticked and the user bruno chosen,
# the password box, the progress page halfway through a table and the
# summary. A second start, with the old database's path pointing at a
# missing file, shows the error page. The pictures go to build/capturas/.
set -euo pipefail
raiz="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$raiz/scripts/prepara.sh"
build="${TARVO_BUILD:-$raiz/build}"
demo="$build/demo"
saida="$build/capturas"
rm -rf "$demo" "$saida"
mkdir -p "$saida"
"$build/src/amostra/importador-amostra" demo "$demo" >/dev/null
cp "$build/src/gui/importador" "$demo/importador"

# Neither the real settings stores nor a headless platform left in the
# environment by the test command.
unset QT_QPA_PLATFORM
export TARVO_REGISTRO_MAQUINA="$demo/registro-maquina.reg"
tela=(xvfb-run -a -s "-screen 0 1024x768x24")

TARVO_REGISTRO_USUARIO="$demo/registro-usuario.reg" TARVO_CAPTURAS="$saida" \
  TARVO_CAPTURAS_DESTINO="bruno.tpv" TARVO_CAPTURAS_SENHA="tarvo123" \
  "${tela[@]}" "$demo/importador"

erro="$saida/registro-erro.reg"
printf '[%s]\n"Path"="%s"\n' 'Software\Opus\DirectAccess\Configuration\Aliases\TarvoPessoal' \
  "$demo/nao-existe.mdb" >"$erro"
TARVO_REGISTRO_USUARIO="$erro" TARVO_CAPTURAS="$saida" "${tela[@]}" "$demo/importador"
rm -f "$erro"

faltam=0
for nome in aviso configuracao senha importacao resumo erro; do
  [ -s "$saida/$nome.png" ] || { echo "Faltou a captura $nome.png" >&2; faltam=1; }
done
[ "$faltam" -eq 0 ] || exit 1
echo "Capturas em $saida"
