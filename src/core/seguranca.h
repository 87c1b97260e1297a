#pragma once
// The safety net around an import: the record of the imports a destination
// has received (so that the same data is not imported twice), the copy of
// the destination taken before the first write and its restoring, and the
// preparation and conclusion of a run that the wizard and the unattended
// import share.
#include "dados.h"
#include "erros.h"
#include "janela.h"
#include "janela_memoria.h"
#include "verificacao.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tarvo {

namespace mb {
// Makes the second button (No of Yes/No) the default answer of a message
// box, as the platform's flag of that value did.
inline constexpr int SegundoBotaoPadrao = 0x100;
}  // namespace mb

// The destination's table of imports: one row per import that ran to its
// end. The new edition ignores it.
inline constexpr char TabelaImportacoes[] = "importacoes_tarvo";

// BLAKE2b-256 of the file's bytes, in lower-case hexadecimal (a source of
// a gigabyte takes a fraction of a second, several times less than
// SHA-256). `aCadaBloco`, when given, is called after every megabyte read,
// so that a window can handle its events. Throws Erro naming the file when
// it cannot be read.
QString SomaDoArquivo(const QString& caminho, const std::function<void()>& aCadaBloco = {});

// One import as the destination records it.
struct RegistroImportacao {
    qint64 id = 0;
    QString quando;       // ISO 8601 with the offset, e.g. "2024-03-05T14:07:09-03:00"
    QString origem;       // the source file's absolute path
    QString somaOrigem;   // SomaDoArquivo of the source
    qint64 empresa = 0;
    QStringList areas;    // run order
    QString contagens;    // JSON: {"area": {"lidas": n, "importadas": n, "recusadas": n}, ...}
    bool operator==(const RegistroImportacao&) const = default;
};

// Every import recorded in the destination, oldest first; empty when the
// table does not exist. Errors of the layer reach the caller.
QList<RegistroImportacao> ImportacoesRegistradas(db::Conexao& destino);

// The records of `registradas` that a run of `areas` of company `empresa`
// would repeat: same company, at least one area in common, and the same
// source, known by its checksum (a copy or a renamed file is the same
// source) or by its path (the file changed since, but its old rows are
// still in it).
QList<RegistroImportacao> ImportacoesRepetidas(const QList<RegistroImportacao>& registradas,
                                               const QString& somaOrigem, const QString& origem, qint64 empresa,
                                               const QStringList& areas);

// The areas of `areas` that `repetidas` already hold, in run order.
QStringList AreasRepetidas(const QList<RegistroImportacao>& repetidas, const QStringList& areas);

// The counts of the summary rows per area of `areas`, as the record keeps them.
QString ContagensEmJson(const QList<LinhaResumo>& resumo, const QStringList& areas);

// Appends `registro` to the destination's table of imports, creating the
// table when it is missing; sets registro.id. Throws ErroBanco.
void RegistraImportacao(db::Conexao& destino, RegistroImportacao& registro);

// The question the wizard asks before a run that repeats an earlier import
// (answers Yes/No, default No): names the company, when, and the areas.
QString TextoPerguntaReimportacao(const QList<RegistroImportacao>& repetidas, const QStringList& areas,
                                  qint64 empresa, const QString& nomeEmpresa);

// Raised by the unattended import instead of repeating an earlier import.
class ErroReimportacao : public Erro {
public:
    ErroReimportacao(const QString& mensagem, QList<RegistroImportacao> repetidas)
        : Erro(mensagem), repetidas_(std::move(repetidas)) {}
    const QList<RegistroImportacao>& repetidas() const { return repetidas_; }

private:
    QList<RegistroImportacao> repetidas_;
};

// The message of ErroReimportacao.
QString TextoRecusaReimportacao(const QList<RegistroImportacao>& repetidas, const QStringList& areas,
                                qint64 empresa, const QString& nomeEmpresa);

// The name of the copy of `destino` taken at `instante`, beside it:
// "/d/ana.tpv" gives "/d/ana.antes-da-importacao-20240305-140709.tpv".
QString NomeCopiaSeguranca(const QString& destino, const QDateTime& instante);
// The database a copy with such a name was taken from; nothing when the
// name is not one of those.
std::optional<QString> DestinoDaCopia(const QString& copia);

// Copies the database that `destino` has open beside itself under
// NomeCopiaSeguranca (with "-2", "-3"... after the time when the name is
// taken) and returns the copy's absolute path. Consistent with the connection
// open; must run before the first write of an import. Throws ErroBanco
// ("A cópia de segurança do destino não pôde ser feita, e nada foi
// importado. " and the cause); no partial copy remains.
// `aCadaBloco` as in db::CopiaBancoAberto.
QString FazCopiaSeguranca(db::Conexao& destino, const QDateTime& instante,
                          const std::function<void()>& aCadaBloco = {});

// Undoes an import: puts the copy `copia` back in place of `destino`, byte
// for byte, refusing while another program uses `destino` (see
// db::RestauraBanco). The copy is kept. Throws ErroBanco.
void DesfazImportacao(const QString& copia, const QString& destino);

// What is known before a run starts.
struct PreparacaoImportacao {
    QString origem;                  // absolute path
    QString somaOrigem;
    qint64 empresa = 0;
    QString nomeEmpresa;
    QString destino;                 // absolute path of the destination the run writes (the user's)
    QStringList areas;               // the ticked areas, run order
    QDateTime instante;              // when the run starts
    QList<RegistroImportacao> repetidas;  // earlier imports this run would repeat
    QList<PrevisaoArea> previsao;    // the source counted per area
    QSet<qint64> contasAntes;        // the destination's accounts before the run
    QString copiaSeguranca;          // set by whoever makes the copy; empty without one
    qint64 linhasPrevistas() const;
};

// Prepares a run of `areas` (exact texts, any order) of company `empresa`
// from the source file `origem`, with `dm` connected to that source and to
// the destination: the source's checksum, the earlier imports the run would
// repeat, the company's name, the source counts and the destination's
// accounts. Reads only. `instante` defaults to now. Throws Erro (an unknown
// area, an unreadable source file) and the layer's errors.
PreparacaoImportacao PreparaImportacao(Tdm& dm, const QString& origem, qint64 empresa, const QStringList& areas,
                                       const QDateTime& instante = {});

// After a run that reached its end: verifies it against `preparacao` and
// the summary rows `resumo`, and, when `registra`, records it in the
// destination that `dm` has open. Returns the verification, one entry per
// area of the run. Errors of the layer reach the caller.
QList<VerificacaoArea> ConcluiImportacao(Tdm& dm, const PreparacaoImportacao& preparacao,
                                         const QList<LinhaResumo>& resumo, bool registra = true);

}  // namespace tarvo
