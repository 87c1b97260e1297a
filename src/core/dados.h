#pragma once
// The data module: the three connections, the company filter, the copy
// engine with its value rules, exception log and code counters, and the
// importers of the twenty areas.
#include "db/conexao.h"
#include "db/consulta.h"
#include "janela.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace tarvo {

// Database passwords of the old and new editions' files.
inline constexpr char SenhaBancoDados[] = "quillbend";
inline constexpr char SenhaBancoUsuarios[] = "frostyharbour";

class Tdm {
public:
    // The window is reached through `janela`, which must outlive the module
    // (it may be replaced with setJanela before the window exists).
    explicit Tdm(Janela* janela = nullptr);
    ~Tdm();
    Tdm(const Tdm&) = delete;
    Tdm& operator=(const Tdm&) = delete;

    void setJanela(Janela* janela) { janela_ = janela; }
    Janela* janela() const { return janela_; }

    // Lets the window handle its pending events during long work that is
    // no row copy (a checksum, a copy, a long query). Nothing without one.
    void DeixaEventos() {
        if (janela_) janela_->processaEventos();
    }

    db::Conexao dbOrigem;
    db::Conexao dbDestino;
    db::Conexao dbUsuarios;
    db::Consulta quOrigem;
    db::Consulta quDestino;
    // " where empresa=" + the chosen company's code + " "; empty until a
    // source has been opened.
    QString FiltroEmpresa;

    // Opens the users database `pastaExecutavel`/Dados/Usuarios.zqd. On
    // failure the "(#03)" text goes to the error page (and is kept in
    // erroUsuarios() for a window created later); returns whether it opened.
    bool DataModuleCreate(const QString& pastaExecutavel);
    const QString& erroUsuarios() const { return erroUsuarios_; }

    // (Re)opens the source, fills the company list, selects the first
    // company and sets the filter. Any failure shows the "(#02)" text on the
    // error page and leaves the source closed; returns whether it succeeded.
    bool ConectaOrigem(const QString& caminho);
    // (Re)opens the destination; a failure shows the "(#01)" text. Returns
    // whether it opened.
    bool ConectaDestino(const QString& caminho);
    // Rebuilds FiltroEmpresa from the company selected in the window.
    void cbbAreaChange();
    // Closes the open connections: users, destination, source.
    void DataModuleDestroy();

    // Copies the chosen company's rows of `TabelaOrigem` into
    // `TabelaDestino`: one destination transaction, one summary row, one
    // exception block per failed field or record. A failure of an
    // unguarded step rolls this call's transaction back and propagates, so
    // no half-copied table remains.
    void SalvaRegistros(const QString& TabelaOrigem, const QString& TabelaDestino, QStringList CamposOrigem,
                        QStringList CamposDestino, QStringList ValoresFixos, const QString& Filtro);

    // Appends one exception block for the running copy.
    void RegistraExcecao(const QString& acao, const QString& erro);

    // The next code of `tabela` from sys_codigos, already stored.
    qint64 PegaCodigo(const QString& tabela);
    // Sets the counter of `tabela` to the highest id of the table.
    void SincronizaCodigo(const QString& tabela);

    // Recomputes the stored balance of account `id` from its entries.
    void CalculaSaldo(qint64 id);

    // The importers of the twenty areas.
    void ImportaPlanoContas();
    void ImportaAgenda();
    void ImportaCentrosCustos();
    void ImportaHistoricos();
    void ImportaPatrimonio();
    void ImportaTarefas();
    void ImportaContatos();
    void ImportaCaixaPessoal();
    void ImportaCartoesCredito();
    void ImportaContasPagar();
    void ImportaContasReceber();
    void ImportaControleBancario();
    void ImportaModelos();
    void ImportaMontadoras();
    void ImportaCombustiveis();
    void ImportaManutencoes();
    void ImportaLancamentosVeiculos();
    void ImportaVeiculos();
    void ImportaViagens();
    void ImportaInvestimentos();

    // Dataset events.
    void quDestinoNewRecord(db::Consulta& dataset);
    void quOrigemAfterOpen(db::Consulta& dataset);
    void quOrigemAfterScroll(db::Consulta& dataset);

private:
    struct TipoConta;
    struct TipoContaUnica;
    void importaContasComLancamentos(const TipoConta& tipo);
    void importaContaUnica(const TipoContaUnica& tipo);
    void substituiTabela(const QString& tabela, const std::function<void()>& copia,
                         const std::function<void()>& depois = {});
    void regraAgenda();
    void regraTarefa();
    void regraConta();
    void regraLancamento(const QString& tabelaOrigem);
    void copiaInstante(const QString& campoData, const QString& campoHora, const QString& destino);
    // The description of the old account with `codigo` (letter case ignored).
    std::optional<QString> contaCaixaPorCodigo(const QString& codigo);
    QString planoPorDescricao(const QString& descricao);

    Janela* janela_ = nullptr;
    QString erroUsuarios_;
    // The running copy's tables, for the exception blocks.
    QString tabelaOrigem_;
    QString tabelaDestino_;
    // Per copy into lctos: the source chart (code -> description, codes
    // without regard to letter case, the first row of a code wins) and the
    // destination chart ids already looked up by description.
    std::optional<QHash<QString, QString>> contasOrigem_;
    QHash<QString, QString> planoPorDescricao_;
    // The counter statements of PegaCodigo, prepared once per opening of
    // the destination (they run for every account and entry).
    struct ComandosCodigo {
        quint64 geracao = 0;
        db::Comando le, altera, inclui;
    };
    ComandosCodigo comandosCodigo_;
    // Inside a copy's transaction the counter of its table is kept here
    // and written once, before the commit: the committed counter is the
    // same as with a write per record, which would cost more than the
    // record itself (outside a copy PegaCodigo writes it at once). `linha`
    // is the counter's row, 0 when it has none yet.
    struct ContadorAdiado {
        QString tabela;
        qint64 linha = 0;
        qint64 valor = 0;
    };
    bool adiaContadores_ = false;
    std::optional<ContadorAdiado> contadorAdiado_;
    void GravaContadorAdiado();
    // Ids of the accounts saved by copies into fontes, in order.
    QList<qint64> contasCriadas_;
};

// While it lives, every SQL statement on the source and the destination
// that `dm` has open lets the window handle its events every few thousand
// steps of SQLite's machine, so that a count, a sort or a sum over a large
// table does not freeze the window. For the span of a run only: nothing the
// window does meanwhile may use these connections (its configuration page
// is hidden then). The connections must stay open while it lives.
class EventosDuranteSql {
public:
    explicit EventosDuranteSql(Tdm& dm);
    ~EventosDuranteSql();
    EventosDuranteSql(const EventosDuranteSql&) = delete;
    EventosDuranteSql& operator=(const EventosDuranteSql&) = delete;

private:
    Tdm& dm_;
    sqlite3* origem_;
    sqlite3* destino_;
};

}  // namespace tarvo
