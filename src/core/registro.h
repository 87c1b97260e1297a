#pragma once
// The two settings stores that stand in for the Windows registry: the
// current user's and the machine's. Each is a text file in the .reg style:
//
//   [Software\Opus\DirectAccess\Configuration\Aliases\TarvoPessoal]
//   "Path"="/home/ana/Tarvo/dados.mdb"
//
// A section is a key (it may exist without values); a value is either a
// quoted text (with \\ and \" escapes) or dword:XXXXXXXX. The user's store is
// $TARVO_REGISTRO_USUARIO, else $XDG_CONFIG_HOME/tarvo/registro.reg (or
// ~/.config/...); the machine's is $TARVO_REGISTRO_MAQUINA, else
// /etc/xdg/tarvo/registro.reg.
#include <QString>

namespace tarvo {

enum class RaizRegistro { UsuarioAtual, Maquina };

// Path of the file that holds a store.
QString ArquivoRegistro(RaizRegistro raiz);

// Reads the text value `nome` of the key `chave` under `raiz`. When the key
// does not exist it is created, empty, in the user's store (the machine's
// store is only read). Returns the empty text when the key or the value does
// not exist or the store cannot be read. A value that exists but is not a
// text raises Erro.
QString LeRegistro(RaizRegistro raiz, const QString& chave, const QString& nome);

// Writes a text value (creating the key and the file). For the sample-data
// maker and tests; the importer itself writes nothing. Raises Erro when the
// store cannot be written.
void GravaRegistro(RaizRegistro raiz, const QString& chave, const QString& nome, const QString& valor);

// The key and value name under which the old edition's database path is kept.
inline constexpr char ChaveBaseAntiga[] =
    "Software\\Opus\\DirectAccess\\Configuration\\Aliases\\TarvoPessoal";
inline constexpr char ValorBaseAntiga[] = "Path";

// The old database's path: the user's value, else the machine's; possibly empty.
QString PegaCaminhoBase();

}  // namespace tarvo
