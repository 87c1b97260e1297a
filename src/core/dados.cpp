#include "dados.h"

#include "erros.h"
#include "funcoes.h"
#include "rtf.h"

#include <QDir>
#include <sqlite3.h>
#include <limits>

namespace tarvo {

using db::Campo;
using db::Consulta;

namespace {

constexpr char kTabelaInexistente[] = "não encontrou a tabela de entrada ou consulta";

// Tables whose ids do not come from the old code.
const QStringList& tabelasSemIdProprio() {
    static const QStringList t{"contatos_fones", "fontes", "lctos"};
    return t;
}

QString aspasJet(const QString& texto) {
    QString t = texto;
    return '"' + t.replace('"', "\"\"") + '"';
}

// The statement the counter of `tabela` always was; failures name it.
QString ComandoDoContador(const QString& tabela) {
    return "select * from sys_codigos where area=1 and tabela=" + aspasJet(tabela);
}

QString mensagemDe(const std::exception& e) {
    if (const auto* erro = dynamic_cast<const Erro*>(&e)) return erro->mensagem();
    return QString::fromUtf8(e.what());
}

// The date part of a field that holds a date-time, a number of days or a
// text; the zero date when it is empty.
QDate parteData(const Campo& campo) {
    const QVariant v = campo.asVariant();
    if (EhNulo(v)) return db::DataHoraZero().date();
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().date();
    const QString texto = VarianteParaTexto(v).trimmed();
    if (texto.isEmpty()) return db::DataHoraZero().date();
    if (const auto d = db::TextoParaDataHora(texto)) return d->date();
    bool ok = false;
    const double dias = texto.toDouble(&ok);
    if (ok) return db::DiasParaDataHora(dias).date();
    throw Erro(QString("A data '%1' do campo '%2' não pôde ser lida.").arg(texto, campo.fieldName()));
}

QTime parteHora(const Campo& campo) {
    const QVariant v = campo.asVariant();
    if (EhNulo(v)) return QTime(0, 0);
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().time();
    const QString texto = VarianteParaTexto(v).trimmed();
    if (texto.isEmpty()) return QTime(0, 0);
    if (const auto d = db::TextoParaDataHora(texto)) return d->time();
    bool ok = false;
    const double dias = texto.toDouble(&ok);
    if (ok) return db::DiasParaDataHora(dias).time();
    throw Erro(QString("A hora '%1' do campo '%2' não pôde ser lida.").arg(texto, campo.fieldName()));
}

}  // namespace

Tdm::Tdm(Janela* janela) : janela_(janela) {
    quOrigem.setConnection(&dbOrigem);
    quDestino.setConnection(&dbDestino);
    quOrigem.afterOpen = [this](Consulta& d) { quOrigemAfterOpen(d); };
    quOrigem.afterScroll = [this](Consulta& d) { quOrigemAfterScroll(d); };
    quDestino.onNewRecord = [this](Consulta& d) { quDestinoNewRecord(d); };
}

Tdm::~Tdm() {
    quOrigem.close();
    quDestino.close();
    DataModuleDestroy();
}

// ------------------------------------------------------------ events

namespace {

// SQLite's machine steps between two calls: a few hundred microseconds.
constexpr int kPassosEntreEventos = 20000;

int DeixaEventosNoSql(void* dm) {
    static_cast<Tdm*>(dm)->DeixaEventos();
    return 0;  // go on
}

}  // namespace

EventosDuranteSql::EventosDuranteSql(Tdm& dm)
    : dm_(dm), origem_(dm.dbOrigem.handle()), destino_(dm.dbDestino.handle()) {
    for (sqlite3* db : {origem_, destino_})
        if (db) sqlite3_progress_handler(db, kPassosEntreEventos, DeixaEventosNoSql, &dm_);
}

EventosDuranteSql::~EventosDuranteSql() {
    // A connection reopened meanwhile has another handle and no handler.
    if (origem_ && dm_.dbOrigem.handle() == origem_) sqlite3_progress_handler(origem_, 0, nullptr, nullptr);
    if (destino_ && dm_.dbDestino.handle() == destino_) sqlite3_progress_handler(destino_, 0, nullptr, nullptr);
}

// ------------------------------------------------------------ connections

bool Tdm::DataModuleCreate(const QString& pastaExecutavel) {
    const QString caminho = QDir(pastaExecutavel).filePath("Dados/Usuarios.zqd");
    dbUsuarios.setConnectionString(db::MontaConnectionString(caminho, SenhaBancoUsuarios));
    try {
        dbUsuarios.open();
        erroUsuarios_.clear();
        return true;
    } catch (const std::exception& e) {
        erroUsuarios_ = "Erro ao conectar com o banco de dados de usuários (#03)!" + QuebraLinhas(2) + mensagemDe(e);
        if (janela_) janela_->mostraErro(erroUsuarios_);
        return false;
    }
}

bool Tdm::ConectaDestino(const QString& caminho) {
    quDestino.close();
    adiaContadores_ = false;
    contadorAdiado_.reset();
    comandosCodigo_ = ComandosCodigo();
    dbDestino.close();
    dbDestino.setConnectionString(db::MontaConnectionString(caminho, SenhaBancoDados));
    try {
        dbDestino.open();
        // Nothing could be imported into a file that cannot be written.
        if (dbDestino.somenteLeitura())
            throw ErroBanco(QString("Não é possível gravar no banco de dados '%1': o arquivo é somente leitura.")
                                .arg(caminho));
        return true;
    } catch (const std::exception& e) {
        dbDestino.close();
        janela_->mostraErro("Erro ao conectar com o banco de dados de destino (#01)!" + QuebraLinhas(2) +
                            mensagemDe(e));
        return false;
    }
}

bool Tdm::ConectaOrigem(const QString& caminho) {
    quOrigem.close();
    dbOrigem.close();
    dbOrigem.setConnectionString(db::MontaConnectionString(caminho, SenhaBancoDados));
    try {
        dbOrigem.open();
        janela_->limpaEmpresas();
        auto q = db::CriaQuery("select codigo, nome from empresa order by codigo", dbOrigem);
        q->open();
        while (!q->eof()) {
            janela_->adicionaEmpresa(q->fieldByName("nome").asString(), q->fieldByName("codigo").asInteger());
            q->next();
        }
        if (janela_->quantidadeEmpresas() == 0)
            throw Erro("O banco de dados de origem não tem nenhuma empresa cadastrada.");
        janela_->selecionaEmpresa(0);
        cbbAreaChange();
        return true;
    } catch (const std::exception& e) {
        dbOrigem.close();
        janela_->mostraErro("Erro ao conectar com o banco de dados de origem (#02)!" + QuebraLinhas(2) +
                            mensagemDe(e));
        return false;
    }
}

void Tdm::cbbAreaChange() {
    if (const auto codigo = janela_->empresaSelecionada())
        FiltroEmpresa = " where empresa=" + QString::number(*codigo) + " ";
}

void Tdm::DataModuleDestroy() {
    if (dbUsuarios.connected()) dbUsuarios.close();
    comandosCodigo_ = ComandosCodigo();
    if (dbDestino.connected()) dbDestino.close();
    if (dbOrigem.connected()) dbOrigem.close();
}

// ----------------------------------------------------------------- events

void Tdm::quDestinoNewRecord(Consulta& dataset) {
    if (Campo* area = dataset.findField("area")) area->setAsInteger(1);
}

void Tdm::quOrigemAfterOpen(Consulta& dataset) {
    janela_->definePosicaoTabela(0);
    janela_->defineMaximoTabela(dataset.recordCount());
}

void Tdm::quOrigemAfterScroll(Consulta&) {
    janela_->avancaTabela();
    janela_->processaEventos();
}

// --------------------------------------------------------------- counters

qint64 Tdm::PegaCodigo(const QString& tabela) {
    if (adiaContadores_) {
        if (contadorAdiado_ && contadorAdiado_->tabela == tabela) {
            if (contadorAdiado_->valor == std::numeric_limits<qint64>::max())
                throw Erro(QString("O contador da tabela '%1' chegou ao maior código possível (%2).")
                               .arg(tabela)
                               .arg(contadorAdiado_->valor));
            return ++contadorAdiado_->valor;
        }
        GravaContadorAdiado();
    }
    // The first counter row of the table (name compared as Jet compares
    // texts) gets the next code, or a row is added with 1.
    const auto contexto = [&] { return ComandoDoContador(tabela); };
    ComandosCodigo& c = comandosCodigo_;
    if (!c.le || c.geracao != dbDestino.geracao()) {
        c = ComandosCodigo();
        c.le = dbDestino.obtem(
            "SELECT _rowid_, id FROM sys_codigos WHERE area = 1 AND tabela = ?1 COLLATE JETNOCASE LIMIT 1",
            contexto());
        c.altera = dbDestino.obtem("UPDATE sys_codigos SET id = ?2 WHERE _rowid_ = ?1", contexto());
        c.inclui = dbDestino.obtem("INSERT INTO sys_codigos (id, tabela, area) VALUES (?2, ?1, 1)", contexto());
        c.geracao = dbDestino.geracao();
    }
    const QByteArray nome = tabela.toUtf8();
    sqlite3_stmt* st = c.le.get();
    sqlite3_bind_text(st, 1, nome.constData(), int(nome.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        sqlite3_reset(st);
        dbDestino.falha(rc, contexto(), "sys_codigos");
    }
    const bool existe = rc == SQLITE_ROW;
    qint64 codigo = 0;
    qint64 linha = 0;
    if (existe) {
        linha = sqlite3_column_int64(st, 0);
        // The stored value read as text, as the counter always was: an
        // integer as it is, anything that is no whole number counts as 0.
        bool ok = false;
        switch (sqlite3_column_type(st, 1)) {
        case SQLITE_INTEGER: codigo = sqlite3_column_int64(st, 1); break;
        case SQLITE_FLOAT: codigo = VarianteParaTexto(sqlite3_column_double(st, 1)).toLongLong(&ok); break;
        case SQLITE_NULL: break;
        default:
            codigo = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)),
                                       sqlite3_column_bytes(st, 1))
                         .toLongLong(&ok);
        }
        if (sqlite3_column_type(st, 1) != SQLITE_INTEGER && !ok) codigo = 0;
    }
    sqlite3_reset(st);
    if (codigo == std::numeric_limits<qint64>::max())
        throw Erro(QString("O contador da tabela '%1' chegou ao maior código possível (%2).").arg(tabela).arg(codigo));
    ++codigo;
    // Outside a copy the new value is written at once.
    contadorAdiado_ = ContadorAdiado{tabela, existe ? linha : 0, codigo};
    if (!adiaContadores_) GravaContadorAdiado();
    return codigo;
}

void Tdm::GravaContadorAdiado() {
    if (!contadorAdiado_) return;
    const ContadorAdiado contador = *contadorAdiado_;
    contadorAdiado_.reset();
    ComandosCodigo& c = comandosCodigo_;
    sqlite3_stmt* w = contador.linha ? c.altera.get() : c.inclui.get();
    const QByteArray nome = contador.tabela.toUtf8();
    if (contador.linha) sqlite3_bind_int64(w, 1, contador.linha);
    else sqlite3_bind_text(w, 1, nome.constData(), int(nome.size()), SQLITE_STATIC);
    sqlite3_bind_int64(w, 2, contador.valor);
    const int rc = sqlite3_step(w);
    sqlite3_reset(w);
    if (rc != SQLITE_DONE) dbDestino.falha(rc, ComandoDoContador(contador.tabela), "sys_codigos");
}

void Tdm::SincronizaCodigo(const QString& tabela) {
    auto q = db::CriaQuery("select max(id) as aa from " + tabela, dbDestino);
    q->open();
    const qint64 maior = q->fieldByName("aa").asInteger();
    q->setSql(ComandoDoContador(tabela));
    q->open();
    if (q->eof()) {
        q->append();
        q->fieldByName("tabela").setAsString(tabela);
        q->fieldByName("area").setAsInteger(1);
    } else {
        q->edit();
    }
    q->fieldByName("id").setAsInteger(maior);
    q->post();
}

// ---------------------------------------------------------- exception log

void Tdm::RegistraExcecao(const QString& acao, const QString& erro) {
    janela_->adicionaExcecao("Ação ..............: " + acao);
    janela_->adicionaExcecao("Tabela de Origem ..: " + Maiusculas(tabelaOrigem_));
    janela_->adicionaExcecao("Tabela de Destino .: " + Maiusculas(tabelaDestino_));
    janela_->adicionaExcecao("Exceção: " + QuebraLinhas(1) + erro);
    janela_->adicionaExcecao(QuebraLinhas(1) + QString(62, '_') + QuebraLinhas(1));
}

// ------------------------------------------------------------------ engine

void Tdm::SalvaRegistros(const QString& TabelaOrigem, const QString& TabelaDestino, QStringList CamposOrigem,
                         QStringList CamposDestino, QStringList ValoresFixos, const QString& Filtro) {
    tabelaOrigem_ = TabelaOrigem;
    tabelaDestino_ = TabelaDestino;
    contasOrigem_.reset();
    planoPorDescricao_.clear();

    // 1-2. The source, guarded.
    qint64 total = 0;
    bool origemAberta = false;
    quOrigem.setSql("select * from " + TabelaOrigem + FiltroEmpresa + Filtro + " order by codigo");
    try {
        quOrigem.open();
        total = quOrigem.recordCount();
        origemAberta = true;
    } catch (const std::exception& e) {
        const QString msg = mensagemDe(e);
        quOrigem.close();
        if (msg.contains(kTabelaInexistente)) {
            RegistraExcecao("Abrindo tabela", msg);
            return;
        }
        janela_->mensagem(msg, mb::IconeErro | mb::Ok);
    }

    qint64 falhas = 0;
    bool idProprio = false;
    try {
        // 3. The destination and its transaction.
        quDestino.setSql("select * from " + TabelaDestino);
        quDestino.open();
        dbDestino.beginTrans();
        adiaContadores_ = true;

        // The fields of each pair, looked up once: the datasets keep their
        // fields for the whole copy. A pair with a missing field is looked up
        // again on every row so that each row logs its own block.
        struct Par {
            Campo* origem;
            Campo* destino;
        };
        std::vector<Par> pares;
        for (qsizetype i = 0; i < CamposOrigem.size(); ++i)
            pares.push_back({quOrigem.findField(CamposOrigem.at(i)), quDestino.findField(CamposDestino.value(i))});

        // 5. One destination record per source row. Whether the record
        // keeps the old code as its id depends on the table only.
        const bool idDaTabela = IndiceNoArray(tabelasSemIdProprio(), TabelaDestino) == -1;
        while (origemAberta && !quOrigem.eof()) {
            quDestino.append();
            idProprio = idDaTabela;
            if (idProprio) quDestino.fieldByName("id").setAsInteger(quOrigem.fieldByName("codigo").asInteger());

            for (qsizetype i = 0; i < CamposOrigem.size(); ++i) {
                try {
                    Campo& origem = pares[i].origem ? *pares[i].origem : quOrigem.fieldByName(CamposOrigem.at(i));
                    Campo& destino =
                        pares[i].destino ? *pares[i].destino : quDestino.fieldByName(CamposDestino.value(i));
                    if (origem.isBlob()) {
                        // Memo and binary columns may hold rich text.
                        if (origem.isNull()) destino.clear();
                        else destino.setAsString(RtfParaTexto(origem.asString()));
                    } else {
                        destino.setValue(origem.asVariant());
                    }
                    if (!origem.aviso().isEmpty()) RegistraExcecao("Mapeando Campos", origem.aviso());
                } catch (const std::exception& e) {
                    RegistraExcecao("Mapeando Campos", mensagemDe(e));
                }
            }

            if (TabelaOrigem == "agenda") regraAgenda();
            else if (TabelaOrigem == "tarefas") regraTarefa();

            if (TabelaDestino == "fontes") regraConta();
            else if (TabelaDestino == "lctos") regraLancamento(TabelaOrigem);

            if (!ValoresFixos.isEmpty() && !ValoresFixos.first().isEmpty()) {
                for (const QString& fixo : ValoresFixos) {
                    const qsizetype igual = fixo.indexOf('=');
                    const QString campo = igual < 0 ? QString() : fixo.left(igual);
                    quDestino.fieldByName(campo).setAsString(igual < 0 ? QString() : fixo.mid(igual + 1));
                }
            }

            try {
                const qint64 id = TabelaDestino == "fontes" ? quDestino.fieldByName("id").asInteger() : 0;
                quDestino.post();
                if (id) contasCriadas_.append(id);
            } catch (const ErroBanco& e) {
                // A file that cannot take the record (full, read-only,
                // locked, damaged) is no refused record: it ends the copy,
                // whose transaction SQLite may already have rolled back.
                if (db::ErroDoArquivo(e) || dbDestino.transacaoPerdida()) throw;
                RegistraExcecao("Salvando", e.mensagem());
                ++falhas;
                quDestino.cancel();
            } catch (const std::exception& e) {
                RegistraExcecao("Salvando", mensagemDe(e));
                ++falhas;
                quDestino.cancel();
            }
            quOrigem.next();
        }

        GravaContadorAdiado();
        adiaContadores_ = false;

        // 6. The counter follows the ids kept from the old codes.
        if (idProprio) SincronizaCodigo(TabelaDestino);

        // 7. Close and commit.
        quOrigem.close();
        quDestino.close();
        dbDestino.commitTrans();
    } catch (...) {
        // An unguarded step failed: nothing of this copy may stay behind.
        adiaContadores_ = false;
        contadorAdiado_.reset();
        quOrigem.close();
        quDestino.close();
        if (dbDestino.inTransaction()) {
            try {
                dbDestino.rollbackTrans();
            } catch (const std::exception&) {
                // The original error is the one the user must see.
            }
        }
        contasOrigem_.reset();
        throw;
    }

    // 8. The summary row, named after the announced area.
    QString cadastro = janela_->textoOnde().mid(11);
    cadastro.chop(3);
    janela_->adicionaResumo(cadastro, QString::number(total), QString::number(total - falhas),
                            QString::number(falhas));
    contasOrigem_.reset();
}

// ------------------------------------------------------------- value rules

void Tdm::copiaInstante(const QString& campoData, const QString& campoHora, const QString& destino) {
    try {
        const QDate data = parteData(quOrigem.fieldByName(campoData));
        const QTime hora = parteHora(quOrigem.fieldByName(campoHora));
        quDestino.fieldByName(destino).setAsDateTime(QDateTime(data, hora, Qt::UTC));
    } catch (const Erro& e) {
        RegistraExcecao("Mapeando Campos", e.mensagem());
    }
}

void Tdm::regraAgenda() {
    quDestino.fieldByName("mostrar_como").setAsInteger(0);
    copiaInstante("compromisso_data", "compromisso_hora", "data_inicial");
    quDestino.fieldByName("data_final").setAsDateTime(quDestino.fieldByName("data_inicial").asDateTime().addSecs(30 * 60));
    quDestino.fieldByName("opcoes").setAsInteger(2);
    copiaInstante("avisar_data", "avisar_hora", "avisar_em");
}

void Tdm::regraTarefa() {
    quDestino.fieldByName("prioridade").setAsString(quOrigem.fieldByName("prioridade").asString().left(1));
}

void Tdm::regraConta() {
    quDestino.fieldByName("id").setAsInteger(PegaCodigo("fontes"));
    quDestino.fieldByName("visualizar").setAsBoolean(true);
}

std::optional<QString> Tdm::contaCaixaPorCodigo(const QString& codigo) {
    if (!contasOrigem_) {
        contasOrigem_.emplace();
        auto q = db::CriaQuery("select * from caixa_contas" + FiltroEmpresa, dbOrigem);
        try {
            q->open();
        } catch (const Erro& e) {
            // An old database without a chart links nothing: every entry
            // takes the fallback account.
            if (!e.mensagem().contains(kTabelaInexistente)) throw;
            return std::nullopt;
        }
        while (!q->eof()) {
            const QString chave = q->fieldByName("código_conta").asString().toLower();
            if (!chave.isEmpty() && !contasOrigem_->contains(chave))
                contasOrigem_->insert(chave, q->fieldByName("descrição").asString());
            q->next();
        }
    }
    const auto it = contasOrigem_->constFind(codigo.toLower());
    if (codigo.isEmpty() || it == contasOrigem_->constEnd()) return std::nullopt;
    return it.value();
}

QString Tdm::planoPorDescricao(const QString& descricao) {
    auto it = planoPorDescricao_.find(descricao);
    if (it == planoPorDescricao_.end())
        it = planoPorDescricao_.insert(
            descricao,
            db::PegaValor("select id from plano_contas where descricao=" + aspasJet(descricao), "id", dbDestino));
    return it.value();
}

void Tdm::regraLancamento(const QString& tabelaOrigem) {
    auto destino = [this](QStringView nome) -> Campo& { return quDestino.fieldByName(nome); };
    auto origem = [this](QStringView nome) -> Campo& { return quOrigem.fieldByName(nome); };

    if (tabelaOrigem == "caixa_lancamentos") {
        destino(u"quitado").setAsBoolean(true);
        const QDateTime data = destino(u"data").asDateTime();
        destino(u"data_quitado").setAsDateTime(data);
        destino(u"data_vencimento").setAsDateTime(data);
        destino(u"data_baixa").setAsDateTime(data);
        destino(u"tipo").setAsString(origem(u"conta").asString().left(1) == "1" ? "R" : "P");
    } else if (tabelaOrigem == "cartoes_credito_lancamentos") {
        destino(u"tipo").setAsString("P");
        destino(u"data_baixa").setAsDateTime(destino(u"data_quitado").asDateTime());
    } else if (tabelaOrigem == "contas_pagar" || tabelaOrigem == "contas_receber") {
        destino(u"tipo").setAsString(tabelaOrigem == "contas_pagar" ? "P" : "R");
        destino(u"data_baixa").setAsDateTime(destino(u"data_quitado").asDateTime());
        destino(u"quitado").setAsBoolean(destino(u"total").asFloat() != 0);
    } else if (tabelaOrigem == "contas_bancarias_lancamentos") {
        const qint64 tipo = origem(u"tipo").asInteger();
        destino(u"tipo").setAsString(tipo == 1 || tipo == 3 ? "P" : "R");
        if (destino(u"data_vencimento").asDateTime() == db::DataHoraZero())
            destino(u"data_vencimento").setAsDateTime(destino(u"data").asDateTime());
    } else if (tabelaOrigem == "investimentos_lancamentos") {
        destino(u"tipo").setAsString(origem(u"tipo").asString() == "C" ? "R" : "P");
        destino(u"quitado").setAsBoolean(true);
        const QDateTime data = destino(u"data").asDateTime();
        destino(u"data_vencimento").setAsDateTime(data);
        destino(u"data_baixa").setAsDateTime(data);
        destino(u"data_quitado").setAsDateTime(data);
    }

    destino(u"id").setAsInteger(PegaCodigo("lctos"));

    const QString colunaConta = tabelaOrigem == "caixa_lancamentos" ? "conta" : "conta_caixa";
    if (Campo* conta = quOrigem.findField(colunaConta)) {
        if (const auto descricao = contaCaixaPorCodigo(conta->asString()))
            destino(u"id_contacaixa").setAsString(planoPorDescricao(*descricao));
    }
    if (destino(u"id_contacaixa").asString().isEmpty())
        destino(u"id_contacaixa").setAsString(destino(u"tipo").asString() == "R" ? "1" : "2");

    if (destino(u"quitado").asBoolean() && destino(u"total").asFloat() == 0)
        destino(u"total").setAsString(destino(u"valor").asString());
}

}  // namespace tarvo
