#pragma once
// The report a user keeps of an import: what was imported from where into
// where, the summary rows, the verification and the exception log, as JSON
// (for programs) and as a printable HTML page (for people).
#include "janela_memoria.h"
#include "seguranca.h"
#include "verificacao.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonDocument>
#include <QList>
#include <QString>
#include <QStringList>

namespace tarvo {

struct RelatorioImportacao {
    QString versao;             // the program's version
    QDateTime quando;           // when the run started
    QString origem, somaOrigem;
    qint64 empresa = 0;
    QString nomeEmpresa;
    QString destino;            // the user's database (also for a dry run)
    QStringList areas;          // run order
    bool simulacao = false;     // the run wrote into a temporary copy only
    QString copiaSeguranca;     // empty: no copy was taken
    QList<RegistroImportacao> repetidas;  // earlier imports that this run repeated, as the user asked
    QList<LinhaResumo> resumo;  // in the grid's order
    QList<VerificacaoArea> verificacao;
    QString excecoes;           // the exception log's text (CR LF line ends)
    QString erro;               // the error that stopped the run; empty when it reached its end
    bool operator==(const RelatorioImportacao&) const = default;
};

// The report of a run prepared by `preparacao` whose summary rows are
// `resumo` (any order: the report sorts them as the grid does), whose log
// text is `excecoes` and whose verification is `verificacao`.
RelatorioImportacao MontaRelatorio(const PreparacaoImportacao& preparacao, const QList<LinhaResumo>& resumo,
                                   const QString& excecoes, const QList<VerificacaoArea>& verificacao);

// The report as a JSON document ("formato": "tarvo-relatorio-importacao",
// "versao_formato": 1); counts are numbers, amounts numbers in reais.
QJsonDocument RelatorioEmJson(const RelatorioImportacao& relatorio);
// Reads back what RelatorioEmJson wrote. Throws Erro for a document that
// is not such a report.
RelatorioImportacao LeRelatorioJson(const QJsonDocument& documento);

// The report as one self-contained HTML page in Portuguese (styles inside,
// no scripts, no outside resources), laid out for A4 printing; every text
// from the data is escaped.
QString RelatorioEmHtml(const RelatorioImportacao& relatorio);

// Writes `conteudo` to `arquivo` in one go (a temporary file renamed at the
// end: a failure leaves no half-written file). Throws Erro naming the file.
void GravaArquivo(const QString& arquivo, const QByteArray& conteudo);

}  // namespace tarvo
