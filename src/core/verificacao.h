#pragma once
// The check after an import: for every area, the source rows counted before
// the run (those the rules read and those they leave out), compared with
// the summary rows the run produced; for the money areas also the amounts
// and the balances of the accounts the run created. The same counts give
// the estimate of the time left while the run goes.
#include "db/conexao.h"
#include "janela_memoria.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace tarvo {

// One source table of an area, counted before the run.
struct PrevisaoTabela {
    QString tabela;
    bool existe = true;          // false: the run will log "Abrindo tabela" and read nothing
    qint64 naOrigem = 0;         // every row, of every company
    qint64 outrasEmpresas = 0;   // rows of the other companies
    qint64 canceladas = 0;       // rows of the company that the "not cancelado" rule leaves out
    qint64 semConta = 0;         // entries of the company that name no account of the company
    qint64 aLer = 0;             // rows the run will read (an account code held by two accounts reads its entries twice)
    double valor = 0;            // sum of valor over the rows to read (entry tables of the money areas)
    QString erro;                // the layer's message when a count failed; the numbers are then incomplete
};

struct PrevisaoArea {
    QString area;
    QString tipoConta;           // the kind of the accounts the area creates ("DI", "BA"...); empty: no money
    QList<PrevisaoTabela> tabelas;
    qint64 aLer() const;
};

// Counts, for each area of `areas` (texts as the check list has them, in
// any order and letter case), the rows of its source tables for company
// `empresa`, by the same rules the importers read them with. Returns the
// areas in run order. Reads the source through `origem` only. A count that
// the layer refuses is kept in the table's `erro` instead of being thrown:
// the run meets the same table and reports it in its own way. Throws Erro
// for an unknown area.
QList<PrevisaoArea> PreveOrigem(db::Conexao& origem, qint64 empresa, const QStringList& areas);

// The ids of the accounts (fontes, area 1) the destination holds: taken
// before the run, they tell the accounts the run creates.
QSet<qint64> ContasDoDestino(db::Conexao& destino);

struct SaldoDivergente {
    qint64 conta = 0;
    QString descricao;
    double gravado = 0, recalculado = 0;
    bool operator==(const SaldoDivergente&) const = default;
};

struct VerificacaoArea {
    QString area;
    bool filtraCanceladas = false, temContas = false, dinheiro = false;
    qint64 naOrigem = 0, outrasEmpresas = 0, canceladas = 0, semConta = 0;
    qint64 lidas = 0, importadas = 0, recusadas = 0;
    double valorOrigem = 0, valorDestino = 0;   // money areas only
    int contasConferidas = 0;                    // accounts created by the run whose balance was checked
    QList<SaldoDivergente> saldosDivergentes;
    QStringList problemas;   // Portuguese sentences; empty when everything adds up
    bool confere() const { return problemas.isEmpty(); }
    bool operator==(const VerificacaoArea&) const = default;
};

// Checks the run: per area of `previsao`, the rows read ("Total" of its
// summary rows in `resumo`) against the rows the source had to give, and
// read = imported + refused; for the money areas the sum of valor of the
// source rows read against the sum of valor of the entries of the accounts
// of the area's kind that are not in `contasAntes`, and each such account's
// stored saldo against a recomputation from its entries (settled entries by
// total for balance kind 1, open entries by valor otherwise, receipts "R"
// adding, everything else subtracting). Amounts are compared in cents.
// Reads the destination through `destino`; errors of the layer reach the
// caller.
QList<VerificacaoArea> VerificaImportacao(db::Conexao& destino, const QList<PrevisaoArea>& previsao,
                                          const QSet<qint64>& contasAntes, const QList<LinhaResumo>& resumo);

// One line per area for the report and the summary page, for example
// "Centros de Custos: confere — origem 15 = 5 lidas + 10 de outras
// empresas; 5 lidas = 5 importadas + 0 recusadas."
QString TextoVerificacao(const VerificacaoArea& v);
QStringList TextosVerificacao(const QList<VerificacaoArea>& v);
// One sentence for the whole run: "Verificação: as 3 áreas conferem." or
// "Verificação: divergências em Caixa Pessoal; Tarefas."
QString ResumoVerificacao(const QList<VerificacaoArea>& v);

// An amount as the product shows it: "R$ 1.234,56", "-R$ 80,00".
QString TextoDinheiro(double valor);

// The seconds left when `feitas` of `total` rows took `decorridoMs`: the
// rate so far applied to what remains, to the nearest second. Nothing
// before the first row.
std::optional<qint64> EstimaSegundosRestantes(qint64 feitas, qint64 total, qint64 decorridoMs);
// "menos de 1 s", "42 s", "3 min 05 s", "1 h 02 min".
QString TextoTempoRestante(qint64 segundos);

}  // namespace tarvo
