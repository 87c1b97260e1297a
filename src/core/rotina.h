#pragma once
// The import run: the twenty areas in their fixed order, and the unattended
// import that the command-line runner and the tests share with the wizard.
#include "dados.h"
#include "janela_memoria.h"
#include "seguranca.h"
#include "verificacao.h"

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <array>
#include <functional>
#include <memory>

namespace tarvo {

struct AreaImportacao {
    const char* nome;  // the exact text of the area in the check list
    void (Tdm::*importador)();
};

// The run order, which begins with the chart of accounts (the entries link
// to it) and ends with the investments.
const std::array<AreaImportacao, 20>& OrdemDasAreas();

// The twenty texts as the sorted check list shows them.
QStringList AreasDaLista();

// Announces each area in run order through `AtualizaProgresso` (which sets
// the progress label, advances the total progress and returns whether the
// area is ticked) and runs the importer of each ticked one. Errors of an
// importer end the run and reach the caller.
void ExecutaImportacao(Tdm& dm, const std::function<bool(const QString& area)>& AtualizaProgresso);

// "Importando " + area + "...", the progress label during an area.
QString TextoImportando(const QString& area);

// The summary rows as the grid keeps them: by "Cadastro", ascending, in the
// Portuguese collation (rows with the same name keep their order).
void OrdenaResumo(QList<LinhaResumo>& linhas);

// The user's password of the open destination: the first row's senha of
// cfg_global, unscrambled. Empty when there is none.
QString SenhaDoUsuario(Tdm& dm);

// What an unattended import needs.
struct PedidoImportacao {
    QString origem;              // old database file
    qint64 empresa = 0;          // company code
    QString destino;             // the user's new database file
    QString senha;               // the user's password, when the user has one
    QStringList areas;           // exact area texts; all twenty when empty

    // The safety net. With everything off the run is the plain one above.
    // Counts the source before the run and verifies the run afterwards
    // (ResultadoImportacao::verificacao).
    bool verifica = false;
    // Refuses, with ErroReimportacao, a run that repeats an earlier import
    // of the same source, company and area, unless `reimporta`; records a
    // run that reaches its end in the destination's table of imports.
    bool registra = false;
    bool reimporta = false;
    // Copies the destination beside itself before the first write.
    bool copiaSeguranca = false;
    // Runs into a temporary copy of the destination, which is only read.
    bool simulacao = false;
    // When the run starts (the record, the copy's name); now when invalid.
    QDateTime instante{};
    // Told the source counts before the run starts (with verifica or registra).
    std::function<void(const PreparacaoImportacao&)> aoPreparar{};
    // Told when the last area has run, before the verification and the record.
    std::function<void()> aoConcluir{};
};

// What the safety net of an unattended import leaves, filled as the run
// goes, so that it tells what was done even when the run stopped on an error.
struct ResultadoImportacao {
    // With verifica or registra: what was known before the run; its
    // copiaSeguranca names the copy taken (empty without one).
    PreparacaoImportacao preparacao;
    bool preparada = false;
    // The dry run's temporary copy of the destination, removed with the
    // last holder of `pastaSimulacao`; the data module's destination
    // connection is left open on it.
    QString arquivoSimulado;
    std::shared_ptr<QTemporaryDir> pastaSimulacao;
    // The run reached its end.
    bool concluida = false;
    // With verifica (and a run that reached its end): one entry per area.
    QList<VerificacaoArea> verificacao;
};

// The unattended import: opens the source and chooses the company, opens
// the destination, checks the password as the wizard does, and runs the
// chosen areas with the same data module and engine. The window `janela`
// receives the progress, the summary rows and the exception log.
// `aoAnunciar` is told each area as it is announced (its step 1-20).
// Throws Erro with a Portuguese message for a request that cannot run (the
// "(#01)"/"(#02)" texts, an unknown company or area, a wrong password);
// errors of the run itself propagate as they are.
// The safety net of `pedido`, when asked for, runs after the password check
// and before the first write: ErroReimportacao for a repeated import, then
// the copy of the destination (or, for a dry run, the temporary copy that
// the module is connected to instead). `resultado`, when given, receives
// what the safety net did.
void ImportaSemJanela(Tdm& dm, JanelaMemoria& janela, const PedidoImportacao& pedido,
                      const std::function<void(int passo, const QString& area, bool marcada)>& aoAnunciar = {},
                      ResultadoImportacao* resultado = nullptr);

}  // namespace tarvo
