#pragma once
// Sample data for the importer: an old-edition database, new-edition user
// databases as the new edition creates them, the users database and a whole
// demonstration folder. Everything is deterministic: the same options give
// the same bytes on every machine.
#include <QList>
#include <QString>
#include <QStringList>

#include "erros.h"

namespace tarvo::amostra {

// Raised instead of replacing a file that exists (when not asked to).
class ErroArquivoExiste : public Erro {
public:
    explicit ErroArquivoExiste(const QString& arquivo);
    const QString& arquivo() const { return arquivo_; }

private:
    QString arquivo_;
};

// Database passwords of the new edition's files (the importer opens its
// destination and its users database with them).
inline constexpr char SenhaBancoUsuario[] = "quillbend";
inline constexpr char SenhaBancoUsuarios[] = "frostyharbour";

// The users of the demonstration folder: ana has no password, bruno has one.
inline constexpr char SenhaDemoBruno[] = "tarvo123";

struct OpcoesAntiga {
    int empresas = 3;        // 1 to 1000
    qint64 linhas = 200;     // rows of EACH entry table, 0 or more
    quint64 semente = 1;     // same seed, same file
    bool sobrescrever = false;
};

// Rows written into one table.
struct ContagemTabela {
    QString tabela;
    qint64 linhas = 0;
};

// Writes an old-edition database (an SQLite file with the old schema; the
// name may end in .mdb, the importer goes by the file's first bytes).
// With E companies and N rows, the tables get:
//   caixa_lancamentos, contas_pagar, contas_receber, contas_bancarias_lancamentos,
//   cartoes_credito_lancamentos, investimentos_lancamentos: N each;
//   empresa E; caixa_contas 30E; centros_custos 5E; contas_bancarias_historicos 8E;
//   contas_bancarias 3E; cartoes_credito 2E; investimentos 2E; montadoras 6E;
//   modelos 12E; combustiveis 4E; contatos max(E, N/10); telefones_contatos
//   2 x contatos; patrimonios, agenda, tarefas, viagens max(E, N/20);
//   veiculos max(2E, N/100); manutencoes 2 x veiculos; lancamentos max(E, N/10).
// Every table but the entry tables (when N < E) has rows of every company,
// codes run from 1 in each table, and every reference (account, card,
// investment, contact, vehicle, model, fuel, cost centre) names a row of the
// same company. Memory use does not grow with N: rows are streamed.
// Returns the rows written per table, in writing order. The file is written
// beside the target under another name and renamed at the end, so a failure
// (Erro or ErroBanco naming the file, the table and the cause) leaves no
// partial file and an existing target untouched. An existing target is
// replaced only when `sobrescrever`; otherwise ErroArquivoExiste. Bad options raise Erro.
QList<ContagemTabela> GeraBaseAntiga(const QString& arquivo, const OpcoesAntiga& opcoes);

// Writes an empty user database as the new edition creates it: its schema,
// the database password SenhaBancoUsuario, cfg_global row 1 (area 1) whose
// senha is the user's password scrambled with ChaveSenhaUsuario (null when
// `senhaUsuario` is empty), and the edition's default data: plano_contas 1
// "Receitas diversas" (R) and 2 "Despesas diversas" (D), one montadora, one
// modelo (which the catalogue import replaces), no fuel types (the fuel
// import adds to them, and the old codes would collide with default ids),
// and a sys_codigos counter (area 1) for each of those three tables holding
// its highest id; no other counters. The scrambled
// password draws a fresh seed, so two files differ in that column only.
// Same failure and overwrite rules as GeraBaseAntiga.
void GeraBaseNova(const QString& arquivo, const QString& senhaUsuario, bool sobrescrever = false);

// Writes `pasta`/Dados/Usuarios.zqd (folders created as needed), the users
// database with the password SenhaBancoUsuarios, one row per entry of
// `bases` in order: id from 1, nome the file's base name with its first
// letter in capitals ("ana.tpv" gives "Ana"), path the absolute path. The
// listed files need not exist. Returns the absolute path written. A path
// longer than the column (255) raises Erro. Same failure and overwrite rules
// as GeraBaseAntiga.
QString GeraBaseUsuarios(const QString& pasta, const QStringList& bases, bool sobrescrever = false);

// What GeraDemo wrote, all paths absolute.
struct ResumoDemo {
    QString baseAntiga;        // pasta/TarvoPessoal.mdb
    QStringList basesNovas;    // pasta/usuarios/ana.tpv, pasta/usuarios/bruno.tpv
    QString baseUsuarios;      // pasta/Dados/Usuarios.zqd
    QString registro;          // pasta/registro-usuario.reg
    QList<ContagemTabela> linhasAntiga;
};

// Writes a demonstration folder: the old database (3 companies, 500 rows
// per entry table, seed 1), ana.tpv without a password, bruno.tpv with
// SenhaDemoBruno, the users database listing both, and a user settings store
// (written through GravaRegistro with TARVO_REGISTRO_USUARIO pointing at it
// for the duration of the call, then restored) holding the old database's
// absolute path under ChaveBaseAntiga/ValorBaseAntiga. Refuses, before
// writing anything, when any of those files exists and not `sobrescrever`.
// A failure part-way leaves the files already written in place.
ResumoDemo GeraDemo(const QString& pasta, bool sobrescrever = false);

}  // namespace tarvo::amostra
