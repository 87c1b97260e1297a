// The wizard window over the real data module, offscreen, its dialogs
// answered by the test.
#include "apoio/bancos.h"
#include "apoio/pasta_temporaria.h"
#include "cenario.h"
#include "dialogos.h"
#include "janela.h"
#include "principal.h"
#include "relatorio_importacao.h"
#include "rotina.h"
#include "seguranca.h"
#include "verificacao.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using namespace tarvo;
using namespace tarvo::gui;
using namespace tarvo::testes;

namespace {

const QString kTitulo = "Importador do Tarvo Pessoal + Veículos";
const QString kAviso =
    "Antes de importar seus dados, recomendamos que você abra o Tarvo Pessoal + Veículos e crie o usuário (por "
    "exemplo, com seu nome) que irá receber os dados do Tarvo Pessoal e/ou Tarvo Veículos. Na tela do Importador, "
    "na opção \"Banco de Dados Destino\" você poderá escolher para onde quer importar os dados antigos.";
const QString kTituloConfig =
    "Escolha as informações que você deseja importar do Tarvo Pessoal ou Tarvo Veículos para o novo Tarvo Pessoal "
    "+ Veículos.";
const QString kTituloErro = "Erro! Não foi possível continuar com a importação! Verifique!";
const QString kTituloImporta = "Aguarde... a importação está sendo realizada...";
const QString kTituloFinalizada = "Importação realizada com sucesso!";
const QString kSemOrigem = "mensagem|" + kTitulo + "|O arquivo de origem não foi encontrado! Por favor, verifique!|16";
const QString kSemDestino =
    "mensagem|" + kTitulo + "|O arquivo de destino não foi encontrado! Por favor, verifique!|16";
const QString kPedeSenha = "texto|Protegido por Senha|Informe a senha deste usuario:|";
const QString kSenhaErrada = "mensagem|Erro|A senha informada esta incorreta !! Deseja tentar novamente ?|20";

QStringList Marcadas(const QListWidget* lista) {
    QStringList marcadas;
    for (int i = 0; i < lista->count(); ++i)
        if (lista->item(i)->checkState() == Qt::Checked) marcadas << lista->item(i)->text();
    return marcadas;
}

QStringList Linha(const QTreeWidgetItem* item) {
    return {item->text(0), item->text(1), item->text(2), item->text(3)};
}

// The instant the tests give the runs: 05/03/2024 14:07:09 at -03:00,
// plus `dias`.
QDateTime Instante(int dias = 0) {
    return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), QTimeZone(-3 * 3600)).addDays(dias);
}

// The names of the files in `pasta`, sorted.
QStringList Arquivos(const QString& pasta) { return QDir(pasta).entryList(QDir::Files, QDir::Name); }

// Everything a database holds: its schema and the rows of every table.
// The copy before a run is SQLite's online backup, page by page, whose
// header counters are its own: the content is what must be the same.
QString Conteudo(const QString& arquivo) {
    auto c = AbreBanco(arquivo, SenhaBancoDados);
    QString t = LinhasSqlite(*c, "select type, name, sql from sqlite_master order by type, name");
    for (const QString& tabela :
         LinhasSqlite(*c, "select name from sqlite_master where type = 'table' order by name").split('\n'))
        t += "\n[" + tabela + "]\n" + LinhasSqlite(*c, "select * from [" + tabela + "]");
    return t;
}

// The imports `arquivo` records; 0 when it has no table of imports yet.
qint64 Importacoes(const QString& arquivo) {
    auto c = AbreBanco(arquivo, SenhaBancoDados);
    if (ValorSqlite(*c, "select count(*) from sqlite_master where name = 'importacoes_tarvo'") == "0") return 0;
    return ValorSqlite(*c, "select count(*) from importacoes_tarvo").toLongLong();
}

// The summary rows as the grid shows them, in its order.
QList<LinhaResumo> LinhasDaGrade(const QTreeWidget* grade) {
    QList<LinhaResumo> linhas;
    for (int i = 0; i < grade->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = grade->topLevelItem(i);
        linhas.append({item->text(0), item->text(1), item->text(2), item->text(3)});
    }
    return linhas;
}

// The exception log as the report keeps it, from what the memo shows.
QString LogDoMemo(const QPlainTextEdit* memo) {
    const QString texto = memo->toPlainText();
    return texto.isEmpty() ? texto : QString(texto).replace("\n", "\r\n") + "\r\n";
}

const QString kPrefixoCopia = "Cópia de segurança do destino: ";
const QString kSemVerificacao = "Verificação: não foi possível conferir a importação: ";
const QString kFiltroHtml = "Página HTML (*.html)";

// What the window shows each time the total progress moves on.
struct Anuncio {
    QString onde, titulo;
    bool avancarHabilitado;
    QString pagina;
    bool operator==(const Anuncio&) const = default;
};

}  // namespace

class TesteJanela : public QObject {
    Q_OBJECT

private slots:
    void inicio();
    void controles();
    void titulosDasPaginas_data();
    void titulosDasPaginas();
    void verificacoesDoInicio_data();
    void verificacoesDoInicio();
    void erroNaoTratadoFicaNaPagina();
    void erroNaExecucaoFicaNoProgresso();
    void origemEscolhidaNoDialogo();
    void empresaEscolhidaMudaFiltro();
    void importarTudo();
    void execucaoSemAreas();
    void execucaoDeUmaArea();
    void grade();
    void memoDeExcecoes();
    void paginaDeErroFinal();
    void destinosComMesmoNome();
    void usuariosIlegiveis();
    void textosDosDestinos_data();
    void textosDosDestinos();
    void caixasDeMensagem_data();
    void caixasDeMensagem();
    void filtros_data();
    void filtros();
    void versao();
    void reimportacao_data();
    void reimportacao();
    void primeiraImportacao_data();
    void primeiraImportacao();
    void importacaoSemContagem();
    void falhaDaCopiaNadaImporta();
    void salvarRelatorio_data();
    void salvarRelatorio();
    void botaoPadrao_data();
    void botaoPadrao();
    void textoAbreviado_data();
    void textoAbreviado();
};

void TesteJanela::inicio() {
    Cenario c;
    TfrmPrincipal& j = c.abre();

    // The advice comes before the window is on screen.
    QCOMPARE(c.dialogos.registro, QStringList{"mensagem|Atenção|" + kAviso + "|48"});
    QCOMPARE(c.dialogos.janelaVisivel, QList<bool>{false});
    QVERIFY(j.isVisible());
    QCOMPARE(j.windowTitle(), kTitulo);
    QCOMPARE(j.size(), QSize(622, 401));
    QCOMPARE(j.minimumSize(), j.maximumSize());
    QCOMPARE(j.font().family(), QString("Tahoma"));
    QCOMPARE(j.font().pixelSize(), 11);

    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabConfig);
    QCOMPARE(j.lbTitulo->text(), kTituloConfig);
    QVERIFY(j.btnAvancar->isEnabled());
    QVERIFY(j.findChildren<QTabBar*>().isEmpty());
    QCOMPARE(j.focusWidget(), j.btnFechar);

    QCOMPARE(j.lbOrigem->text(), c.antiga);
    const auto empresas = c.empresas();
    QCOMPARE(j.cbbArea->count(), empresas.size());
    for (int i = 0; i < empresas.size(); ++i) {
        QCOMPARE(j.cbbArea->itemText(i), empresas[i].second);
        QCOMPARE(j.cbbArea->itemData(i).toLongLong(), empresas[i].first);
    }
    QCOMPARE(j.cbbArea->currentIndex(), 0);
    QCOMPARE(c.dm.FiltroEmpresa, QString(" where empresa=%1 ").arg(empresas[0].first));
    QVERIFY(!j.cbbArea->isEditable());
    QVERIFY(!j.cbbDestino->isEditable());

    QCOMPARE(j.cbbDestino->count(), 2);
    QCOMPARE(j.cbbDestino->itemText(0), QString("ana.tpv"));
    QCOMPARE(j.cbbDestino->itemText(1), QString("bruno.tpv"));
    QCOMPARE(j.cbbDestino->currentIndex(), 0);
    QCOMPARE(j.ListaDestinos, (QStringList{"ana.tpv=" + c.ana, "bruno.tpv=" + c.bruno}));

    QStringList areas;
    for (int i = 0; i < j.lboxImportacao->count(); ++i) areas << j.lboxImportacao->item(i)->text();
    QCOMPARE(areas, (QStringList{"Agenda de Compromissos", "Cadastro de Veículos", "Caixa Pessoal",
                                 "Cartões de Crédito", "Centros de Custos", "Contas a Pagar", "Contas a Receber",
                                 "Contas de Receitas e Despesas", "Contatos e Telefones", "Controle Bancário",
                                 "Históricos (Bancos)", "Investimentos", "Lançamentos (Veículos)",
                                 "Manutenções (Veículos)", "Modelos (Veículos)", "Montadoras (Veículos)",
                                 "Patrimônio", "Tarefas", "Tipos de Combustíveis (Veículos)",
                                 "Viagens (Veículos)"}));
    QVERIFY(Marcadas(j.lboxImportacao).isEmpty());
    QVERIFY(!j.cboxTudo->isChecked());
    QVERIFY(!c.dialogos.faltouResposta);
}

void TesteJanela::controles() {
    struct Controle {
        const char* nome;
        QRect area;  // width or height -1: not checked
        QString texto;
    };
    const Controle controles[] = {
        {"AdvancedPanel1", {0, 0, 622, 42}, {}},
        {"Image2", {5, 5, 32, 32}, {}},
        {"lbTitulo", {42, 5, 575, 32}, kTituloConfig},
        {"pcPrincipal", {0, 42, 622, 321}, {}},
        {"AdvancedPanel2", {0, 363, 622, 38}, {}},
        {"lbVersao", {5, 12, -1, -1}, "v. 1.0.0.6"},
        {"btnAvancar", {352, 6, 124, 28}, "Iniciar Importação"},
        {"btnFechar", {530, 6, 87, 28}, "&Fechar"},
        {"Label1", {5, 5, -1, -1}, "Selecione o que você deseja importar"},
        {"cboxTudo", {533, 2, 84, 17}, "Importar tudo"},
        {"lboxImportacao", {5, 20, 612, 210}, {}},
        {"Label2", {5, 235, -1, -1}, "Banco de Dados de Origem:"},
        {"lbOrigem", {145, 235, 447, -1}, "(não encontrado)"},
        {"btnAbreMDBOrigem", {594, 231, 23, 22}, {}},
        {"Label4", {17, 267, -1, -1}, "Área para ser importada:"},
        {"cbbArea", {145, 264, 472, -1}, {}},
        {"Label3", {3, 299, -1, -1}, "Banco de Dados de Destino:"},
        {"cbbDestino", {145, 296, 472, -1}, {}},
        {"Image1", {5, 5, 96, 96}, {}},
        {"mmoErro", {109, 5, 494, 196}, {}},
        {"lbOnde", {5, 136, 612, -1}, {}},
        {"pb", {5, 153, 612, 17}, {}},
        {"pbTotal", {5, 177, 612, 17}, {}},
        {"Label5", {5, 5, -1, -1}, "A importação dos dados foi finalizada com sucesso! "},
        {"GridResumo", {5, 20, 612, 150}, {}},
        {"Label6", {5, 205, -1, -1}, "Exceções ocorridas durante a importação:"},
        {"mmoExcecoes", {0, 221, 622, 100}, "mmoErros"},
    };
    Cenario c(false);
    c.abre();
    for (const Controle& k : controles) {
        auto* w = c.janela->findChild<QWidget*>(k.nome);
        QVERIFY2(w, k.nome);
        QRect obtida = w->geometry();
        if (k.area.width() < 0) obtida.setWidth(-1);
        if (k.area.height() < 0) obtida.setHeight(-1);
        QString texto;
        if (auto* l = qobject_cast<QLabel*>(w)) texto = l->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(w)) texto = b->text();
        else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) texto = m->toPlainText();
        if (k.texto.isEmpty()) texto.clear();
        const QString esperado = QString("%1 %2,%3 %4x%5 \"%6\"")
                                     .arg(k.nome).arg(k.area.x()).arg(k.area.y()).arg(k.area.width())
                                     .arg(k.area.height()).arg(k.texto);
        const QString visto = QString("%1 %2,%3 %4x%5 \"%6\"")
                                  .arg(k.nome).arg(obtida.x()).arg(obtida.y()).arg(obtida.width())
                                  .arg(obtida.height()).arg(texto);
        QCOMPARE(visto, esperado);
    }
}

void TesteJanela::titulosDasPaginas_data() {
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<QString>("titulo");
    QTest::addColumn<bool>("avancar");
    QTest::newRow("tabConfig") << "tabConfig" << kTituloConfig << true;
    QTest::newRow("tabErro") << "tabErro" << kTituloErro << false;
    QTest::newRow("tabFinalizada") << "tabFinalizada" << kTituloFinalizada << false;
}

void TesteJanela::titulosDasPaginas() {
    QFETCH(QString, pagina);
    QFETCH(QString, titulo);
    QFETCH(bool, avancar);
    Cenario c;
    TfrmPrincipal& j = c.abre();
    j.pcPrincipal->setCurrentWidget(j.findChild<QWidget*>(pagina));
    QCOMPARE(j.pcPrincipal->currentWidget()->objectName(), pagina);
    QCOMPARE(j.lbTitulo->text(), titulo);
    QCOMPARE(j.btnAvancar->isEnabled(), avancar);
}

void TesteJanela::verificacoesDoInicio_data() {
    QTest::addColumn<bool>("comOrigem");
    QTest::addColumn<QString>("destino");  // the entry chosen; empty: none
    QTest::addColumn<QStringList>("textos");
    QTest::addColumn<QList<int>>("respostas");
    QTest::addColumn<QStringList>("dialogos");
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<QString>("erro");  // how mmoErro begins

    const QString cancela = DialogosRoteiro::Cancelar;
    QTest::newRow("sem origem, mesmo com destino") << false << "ana.tpv" << QStringList{} << QList<int>{}
                                                   << QStringList{kSemOrigem} << "tabConfig" << "";
    QTest::newRow("nenhum destino escolhido") << true << "" << QStringList{} << QList<int>{}
                                              << QStringList{kSemDestino} << "tabConfig" << "";
    QTest::newRow("arquivo de destino sumiu") << true << "sumiu.tpv" << QStringList{} << QList<int>{}
                                              << QStringList{kSemDestino} << "tabConfig" << "";
    QTest::newRow("destino que não abre (#01)")
        << true << "lixo.tpv" << QStringList{} << QList<int>{} << QStringList{} << "tabErro"
        << "Erro ao conectar com o banco de dados de destino (#01)!\n\n";
    QTest::newRow("sem senha: a importação roda") << true << "ana.tpv" << QStringList{} << QList<int>{}
                                                  << QStringList{} << "tabFinalizada" << "";
    QTest::newRow("senha certa") << true << "bruno.tpv" << QStringList{"tarvo123"} << QList<int>{}
                                 << QStringList{kPedeSenha} << "tabFinalizada" << "";
    QTest::newRow("errada, Cancelar, Não")
        << true << "bruno.tpv" << QStringList{"errada", cancela} << QList<int>{mb::RespostaSim, mb::RespostaNao}
        << QStringList{kPedeSenha, kSenhaErrada, kPedeSenha, kSenhaErrada} << "tabConfig" << "";
    QTest::newRow("errada, Sim, certa")
        << true << "bruno.tpv" << QStringList{"errada", "tarvo123"} << QList<int>{mb::RespostaSim}
        << QStringList{kPedeSenha, kSenhaErrada, kPedeSenha} << "tabFinalizada" << "";
    QTest::newRow("maiúsculas não valem") << true << "bruno.tpv" << QStringList{"TARVO123"}
                                          << QList<int>{mb::RespostaNao} << QStringList{kPedeSenha, kSenhaErrada}
                                          << "tabConfig" << "";
}

void TesteJanela::verificacoesDoInicio() {
    QFETCH(bool, comOrigem);
    QFETCH(QString, destino);
    QFETCH(QStringList, textos);
    QFETCH(QList<int>, respostas);
    QFETCH(QStringList, dialogos);
    QFETCH(QString, pagina);
    QFETCH(QString, erro);

    Cenario c(comOrigem);
    const QString lixo = c.pasta.arquivo("usuarios/lixo.tpv");
    EscreveArquivo(lixo, "isto não é um banco de dados\n");
    c.usuarios({c.ana, c.bruno, c.pasta.arquivo("usuarios/sumiu.tpv"), lixo});
    TfrmPrincipal& j = c.abre();
    j.cbbDestino->setCurrentIndex(j.cbbDestino->findText(destino));
    c.dialogos.registro.clear();
    c.dialogos.textos = textos;
    c.dialogos.respostas = respostas;

    c.inicia();

    QCOMPARE(c.dialogos.registro, dialogos);
    QVERIFY(!c.dialogos.faltouResposta);
    QVERIFY(c.dialogos.textos.isEmpty());
    QVERIFY(c.dialogos.respostas.isEmpty());
    QCOMPARE(j.pcPrincipal->currentWidget()->objectName(), pagina);
    QCOMPARE(j.btnAvancar->isEnabled(), pagina == "tabConfig");
    QVERIFY(j.mmoErro->toPlainText().startsWith(erro));
    QCOMPARE(j.mmoErro->toPlainText().isEmpty(), erro.isEmpty());
}

void TesteJanela::erroNaoTratadoFicaNaPagina() {
    // A destination without cfg_global: the error ends the click, goes to
    // the general report, and the wizard stays where it was.
    Cenario c;
    const QString semConfig = c.pasta.arquivo("usuarios/semconfig.tpv");
    CriaBanco(semConfig, "CREATE TABLE outra (id INTEGER)", SenhaBancoDados);
    c.usuarios({semConfig});
    TfrmPrincipal& j = c.abre();
    c.dialogos.registro.clear();

    c.inicia();

    QCOMPARE(c.dialogos.registro.size(), 1);
    const QString relato = c.dialogos.registro.first();
    QVERIFY2(relato.startsWith("erro|") && relato.contains("cfg_global") &&
                 relato.contains("não encontrou a tabela de entrada ou consulta"),
             qPrintable(relato));
    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabConfig);
    QVERIFY(j.btnAvancar->isEnabled());
}

void TesteJanela::erroNaExecucaoFicaNoProgresso() {
    // A destination without the areas' tables: the first ticked area's
    // error ends the run; the later areas are not announced and the wizard
    // stays on the progress page.
    Cenario c;
    const QString incompleto = c.pasta.arquivo("usuarios/incompleto.tpv");
    CriaBanco(incompleto, "CREATE TABLE cfg_global (id INTEGER, area INTEGER, senha TEXT)", SenhaBancoDados);
    c.usuarios({incompleto});
    TfrmPrincipal& j = c.abre();
    c.marca("Centros de Custos");
    c.dialogos.registro.clear();

    c.inicia();

    QCOMPARE(c.dialogos.registro.size(), 1);
    QVERIFY2(c.dialogos.registro.first().startsWith("erro|") &&
                 c.dialogos.registro.first().contains("centros_custos"),
             qPrintable(c.dialogos.registro.first()));
    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabImporta);
    QCOMPARE(j.lbTitulo->text(), kTituloImporta);
    QCOMPARE(j.lbOnde->text(), QString("Importando Centros de Custos..."));
    QCOMPARE(j.pbTotal->value(), 3);
    QVERIFY(!j.btnAvancar->isEnabled());
    QCOMPARE(j.GridResumo->topLevelItemCount(), 0);
}

void TesteJanela::origemEscolhidaNoDialogo() {
    Cenario c(false);
    TfrmPrincipal& j = c.abre();
    QCOMPARE(j.lbOrigem->text(), QString("(não encontrado)"));
    QCOMPARE(j.cbbArea->count(), 0);
    c.dialogos.registro.clear();
    c.dialogos.arquivos = {c.pasta.arquivo("nao-existe.mdb"), "", c.antiga};
    const QString dialogo = "arquivo|Arquivos Access (*.mdb);;Todos os arquivos (*)";

    j.btnAbreMDBOrigem->click();  // a typed name that does not exist
    j.btnAbreMDBOrigem->click();  // cancelled
    QCOMPARE(j.lbOrigem->text(), QString("(não encontrado)"));
    QCOMPARE(j.cbbArea->count(), 0);

    j.btnAbreMDBOrigem->click();
    QCOMPARE(c.dialogos.registro, QStringList(3, dialogo));
    QCOMPARE(j.lbOrigem->text(), c.antiga);
    QCOMPARE(j.cbbArea->count(), c.empresas().size());
    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabConfig);
}

void TesteJanela::empresaEscolhidaMudaFiltro() {
    Cenario c;
    TfrmPrincipal& j = c.abre();
    const auto empresas = c.empresas();
    QVERIFY(empresas.size() >= 2);
    QTest::keyClick(j.cbbArea, Qt::Key_Down);
    QCOMPARE(j.cbbArea->currentIndex(), 1);
    QCOMPARE(c.dm.FiltroEmpresa, QString(" where empresa=%1 ").arg(empresas[1].first));
}

void TesteJanela::importarTudo() {
    Cenario c;
    TfrmPrincipal& j = c.abre();
    c.marca("Tarefas");
    c.marca("Caixa Pessoal");
    QVERIFY(!j.cboxTudo->isChecked());

    j.cboxTudo->click();
    QCOMPARE(Marcadas(j.lboxImportacao), AreasDaLista());
    j.cboxTudo->click();
    QCOMPARE(Marcadas(j.lboxImportacao), QStringList{});
    QCOMPARE(j.cboxTudo->layoutDirection(), Qt::RightToLeft);
}

void TesteJanela::execucaoSemAreas() {
    Cenario c;
    TfrmPrincipal& j = c.abre();
    QList<Anuncio> anuncios;
    QObject::connect(j.pbTotal, &QProgressBar::valueChanged, [&](int v) {
        if (v > 0)
            anuncios.append({j.lbOnde->text(), j.lbTitulo->text(), j.btnAvancar->isEnabled(),
                             j.pcPrincipal->currentWidget()->objectName()});
    });

    c.inicia();

    const QStringList ordem{"Contas de Receitas e Despesas", "Agenda de Compromissos", "Centros de Custos",
                            "Históricos (Bancos)", "Patrimônio", "Tarefas", "Contatos e Telefones",
                            "Caixa Pessoal", "Cartões de Crédito", "Contas a Pagar", "Contas a Receber",
                            "Controle Bancário", "Modelos (Veículos)", "Montadoras (Veículos)",
                            "Tipos de Combustíveis (Veículos)", "Manutenções (Veículos)",
                            "Lançamentos (Veículos)", "Cadastro de Veículos", "Viagens (Veículos)",
                            "Investimentos"};
    QList<Anuncio> esperados;
    for (const QString& area : ordem) esperados.append({"Importando " + area + "...", kTituloImporta, false, "tabImporta"});
    QCOMPARE(anuncios, esperados);
    QCOMPARE(j.pbTotal->value(), 20);
    QCOMPARE(j.pbTotal->maximum(), 20);
    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabFinalizada);
    QCOMPARE(j.lbTitulo->text(), kTituloFinalizada);
    QVERIFY(!j.btnAvancar->isEnabled());
    QCOMPARE(j.GridResumo->topLevelItemCount(), 0);
    QCOMPARE(j.mmoExcecoes->toPlainText(), QString());
    QCOMPARE(c.linhas(c.ana, "centros_custos"), 0);
}

void TesteJanela::execucaoDeUmaArea() {
    Cenario c;
    TfrmPrincipal& j = c.abre();
    const qint64 empresa = c.empresas().first().first;
    c.marca("Centros de Custos");

    c.inicia();

    auto origem = AbreBanco(c.antiga, SenhaBancoDados);
    const QString total =
        ValorSqlite(*origem, QString("select count(*) from centros_custos where empresa=%1").arg(empresa));
    QVERIFY(total.toInt() > 0);
    QCOMPARE(j.GridResumo->topLevelItemCount(), 1);
    QCOMPARE(Linha(j.GridResumo->topLevelItem(0)), (QStringList{"Centros de Custos", total, total, "0"}));
    QCOMPARE(QString::number(c.linhas(c.ana, "centros_custos")), total);
    QCOMPARE(QString::number(j.pb->maximum()), total);
    QCOMPARE(QString::number(j.pb->value()), total);
    QCOMPARE(j.mmoExcecoes->toPlainText(), QString());
    QCOMPARE(j.lbOnde->text(), QString("Importando Investimentos..."));
}

void TesteJanela::grade() {
    Cenario c(false);
    TfrmPrincipal& j = c.abre();
    const QList<QStringList> entradas{{"Tarefas", "4", "4", "0"},         {"Zebu", "1", "1", "0"},
                                      {"Contas a Pagar", "10", "9", "1"}, {"água e luz", "2", "2", "0"},
                                      {"Caixa Pessoal", "7", "7", "0"},   {"Contas a Pagar", "3", "3", "0"},
                                      {"Ágata", "5", "4", "1"}};
    for (const QStringList& e : entradas) j.adicionaResumo(e[0], e[1], e[2], e[3]);

    // Portuguese order (accents and letter case do not push a row to the
    // end); rows with the same name keep the order they came in.
    const QList<QStringList> esperadas{{"Ágata", "5", "4", "1"},         {"água e luz", "2", "2", "0"},
                                       {"Caixa Pessoal", "7", "7", "0"}, {"Contas a Pagar", "10", "9", "1"},
                                       {"Contas a Pagar", "3", "3", "0"}, {"Tarefas", "4", "4", "0"},
                                       {"Zebu", "1", "1", "0"}};
    QCOMPARE(j.GridResumo->topLevelItemCount(), esperadas.size());
    for (int i = 0; i < esperadas.size(); ++i) {
        QTreeWidgetItem* item = j.GridResumo->topLevelItem(i);
        QCOMPARE(Linha(item), esperadas[i]);
        for (int coluna = 0; coluna < 4; ++coluna) {
            QCOMPARE(item->background(coluna), i % 2 == 0 ? QBrush(QColor(234, 234, 234)) : QBrush());
            QCOMPARE(item->textAlignment(coluna),
                     coluna == 0 ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignCenter));
        }
        QVERIFY(!item->font(0).bold() && item->font(2).bold() && !item->font(3).bold());
        QCOMPARE(item->foreground(3).color(), QColor(255, 0, 0));
        QCOMPARE(item->foreground(2), QBrush());
        QVERIFY(!(item->flags() & Qt::ItemIsEditable));
    }
    QList<LinhaResumo> ordenadas;
    for (const QStringList& e : entradas) ordenadas.append({e[0], e[1], e[2], e[3]});
    OrdenaResumo(ordenadas);
    QCOMPARE(j.linhasResumo(), ordenadas);

    QTreeWidgetItem* cabecalho = j.GridResumo->headerItem();
    QCOMPARE(Linha(cabecalho), (QStringList{"Cadastro", "Total", "Importados", "Não Importados"}));
    QHeaderView* h = j.GridResumo->header();
    QCOMPARE(h->sectionResizeMode(0), QHeaderView::Stretch);
    for (int coluna = 1; coluna < 4; ++coluna) {
        QCOMPARE(h->sectionResizeMode(coluna), QHeaderView::Fixed);
        QCOMPARE(cabecalho->textAlignment(coluna), int(Qt::AlignCenter));
    }
    QCOMPARE(j.GridResumo->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(j.GridResumo->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!j.GridResumo->rootIsDecorated());
}

void TesteJanela::memoDeExcecoes() {
    Cenario c(false);
    TfrmPrincipal& j = c.abre();
    QPlainTextEdit* m = j.mmoExcecoes;
    QVERIFY(m->isReadOnly());
    QVERIFY(QFontInfo(m->font()).fixedPitch());
    QCOMPARE(m->font().pixelSize(), 13);
    QCOMPARE(m->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    m->clear();
    j.adicionaExcecao("Ação ..............: Salvando");
    j.adicionaExcecao("Exceção: \r\nvalor recusado");
    j.adicionaExcecao("\r\n" + QString(62, '_') + "\r\n");
    QCOMPARE(m->toPlainText(),
             "Ação ..............: Salvando\nExceção: \nvalor recusado\n\n" + QString(62, '_') + "\n");
    QVERIFY(j.mmoErro->isReadOnly());
    QCOMPARE(j.mmoErro->frameShape(), QFrame::NoFrame);
    QCOMPARE(j.mmoErro->focusPolicy(), Qt::NoFocus);
}

void TesteJanela::paginaDeErroFinal() {
    Cenario c(false);
    c.registraOrigem(c.pasta.arquivo("sumiu.mdb"));
    TfrmPrincipal& j = c.abre();

    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabErro);
    QCOMPARE(j.lbTitulo->text(), kTituloErro);
    QVERIFY(j.mmoErro->toPlainText().startsWith("Erro ao conectar com o banco de dados de origem (#02)!\n\n"));
    QVERIFY(!j.btnAvancar->isEnabled());
    // The advice still comes, and the start button does nothing here.
    QCOMPARE(c.dialogos.registro, QStringList{"mensagem|Atenção|" + kAviso + "|48"});
    c.dialogos.registro.clear();
    j.btnAvancarClick();
    QCOMPARE(c.dialogos.registro, QStringList{});
    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabErro);
}

void TesteJanela::destinosComMesmoNome() {
    Cenario c;
    const QString a = c.pasta.arquivo("a/ana.tpv"), b = c.pasta.arquivo("b/ana.tpv");
    c.novaBase(a);
    c.novaBase(b);
    c.usuarios({a, b, c.bruno});
    TfrmPrincipal& j = c.abre();
    QCOMPARE(j.cbbDestino->count(), 3);
    QCOMPARE(j.cbbDestino->itemText(0), "ana.tpv (" + c.pasta.arquivo("a/") + ")");
    QCOMPARE(j.cbbDestino->itemText(1), "ana.tpv (" + c.pasta.arquivo("b/") + ")");
    QCOMPARE(j.cbbDestino->itemText(2), QString("bruno.tpv"));
    QCOMPARE(j.ListaDestinos, (QStringList{"ana.tpv=" + a, "ana.tpv=" + b, "bruno.tpv=" + c.bruno}));

    j.cbbDestino->setCurrentIndex(1);
    c.marca("Centros de Custos");
    c.inicia();

    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabFinalizada);
    QCOMPARE(c.dm.dbDestino.arquivo(), b);
    QVERIFY(c.linhas(b, "centros_custos") > 0);
    QCOMPARE(c.linhas(a, "centros_custos"), 0);
}

void TesteJanela::usuariosIlegiveis() {
    Cenario c;
    EscreveArquivo(c.pasta.arquivo("Dados/Usuarios.zqd"), "não é um banco de dados");
    TfrmPrincipal& j = c.abre();

    QVERIFY(c.dm.erroUsuarios().startsWith("Erro ao conectar com o banco de dados de usuários (#03)!\r\n\r\n"));
    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabErro);
    QCOMPARE(j.mmoErro->toPlainText(), QString(c.dm.erroUsuarios()).replace("\r\n", "\n"));
    QCOMPARE(j.lbTitulo->text(), kTituloErro);
    QVERIFY(!j.btnAvancar->isEnabled());
    QCOMPARE(j.cbbDestino->count(), 0);
    QCOMPARE(c.dialogos.registro, QStringList{"mensagem|Atenção|" + kAviso + "|48"});
}

void TesteJanela::textosDosDestinos_data() {
    QTest::addColumn<QStringList>("caminhos");
    QTest::addColumn<QStringList>("textos");
    QTest::newRow("nomes diferentes") << QStringList{"/u/ana.tpv", "/u/bruno.tpv"}
                                      << QStringList{"ana.tpv", "bruno.tpv"};
    QTest::newRow("mesmo nome em pastas diferentes")
        << QStringList{"/p/ana.tpv", "/q/r/ana.tpv", "/p/bruno.tpv"}
        << QStringList{"ana.tpv (/p/)", "ana.tpv (/q/r/)", "bruno.tpv"};
    QTest::newRow("maiúsculas não distinguem") << QStringList{"/p/Ana.tpv", "/q/ana.TPV"}
                                               << QStringList{"Ana.tpv (/p/)", "ana.TPV (/q/)"};
    QTest::newRow("caminhos do Windows") << QStringList{"C:\\Dados\\ana.tpv", "D:ana.tpv", "E:\\x=y\\b=c.tpv"}
                                         << QStringList{"ana.tpv (C:\\Dados\\)", "ana.tpv (D:)", "b=c.tpv"};
    QTest::newRow("nenhum") << QStringList{} << QStringList{};
}

void TesteJanela::textosDosDestinos() {
    QFETCH(QStringList, caminhos);
    QFETCH(QStringList, textos);
    QCOMPARE(TextosDosDestinos(caminhos), textos);
    for (const QString& caminho : caminhos) QCOMPARE(CaminhoDaEntrada(NomeArquivo(caminho) + "=" + caminho), caminho);
}

void TesteJanela::caixasDeMensagem_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("icone");
    QTest::addColumn<int>("botoes");
    QTest::addColumn<QList<int>>("respostas");  // of OK, Yes, No and closing the box
    QTest::newRow("16: erro, OK") << 16 << int(QMessageBox::Critical) << int(QMessageBox::Ok)
                                  << QList<int>{1, 6, 7, 1};
    QTest::newRow("20: erro, Sim e Não") << 20 << int(QMessageBox::Critical) << int(QMessageBox::Yes | QMessageBox::No)
                                         << QList<int>{1, 6, 7, 7};
    QTest::newRow("48: atenção, OK") << 48 << int(QMessageBox::Warning) << int(QMessageBox::Ok)
                                     << QList<int>{1, 6, 7, 1};
}

void TesteJanela::caixasDeMensagem() {
    QFETCH(int, flags);
    QFETCH(int, icone);
    QFETCH(int, botoes);
    QFETCH(QList<int>, respostas);
    QCOMPARE(int(IconeDaCaixa(flags)), icone);
    QCOMPARE(int(BotoesDaCaixa(flags)), botoes);
    const QList<int> obtidas{RespostaDaCaixa(QMessageBox::Ok, flags), RespostaDaCaixa(QMessageBox::Yes, flags),
                             RespostaDaCaixa(QMessageBox::No, flags), RespostaDaCaixa(QMessageBox::NoButton, flags)};
    QCOMPARE(obtidas, respostas);
}

void TesteJanela::filtros_data() {
    QTest::addColumn<QString>("filtro");
    QTest::addColumn<QString>("qt");
    QTest::newRow("Access") << "Arquivos Access (*.mdb)|*.mdb" << "Arquivos Access (*.mdb)";
    QTest::newRow("Access e todos") << "Arquivos Access (*.mdb)|*.mdb|Todos os arquivos (*)|*"
                                    << "Arquivos Access (*.mdb);;Todos os arquivos (*)";
    QTest::newRow("descrição sem padrões") << "Bancos|*.mdb;*.accdb" << "Bancos (*.mdb *.accdb)";
}

void TesteJanela::filtros() {
    QFETCH(QString, filtro);
    QFETCH(QString, qt);
    QCOMPARE(FiltroParaQt(filtro), qt);
}

void TesteJanela::versao() {
    QCOMPARE(TextoVersao("1.0.0.6"), QString("v. 1.0.0.6"));
    QCOMPARE(TextoVersao(""), QString("v. Value Not Available"));
    QCOMPARE(VersaoDoPrograma(), QString("1.0.0.6"));
    Cenario c(false);
    QCOMPARE(c.abre("").lbVersao->text(), QString("v. Value Not Available"));
}

void TesteJanela::reimportacao_data() {
    QTest::addColumn<int>("resposta");
    QTest::addColumn<QString>("pagina");
    QTest::addColumn<int>("vezes");       // the first run's entries the destination holds afterwards
    QTest::addColumn<int>("registros");   // imports the destination records afterwards
    QTest::newRow("Não: nada muda") << int(mb::RespostaNao) << "tabConfig" << 1 << 1;
    QTest::newRow("Sim: importa de novo") << int(mb::RespostaSim) << "tabFinalizada" << 2 << 2;
}

void TesteJanela::reimportacao() {
    QFETCH(int, resposta);
    QFETCH(QString, pagina);
    QFETCH(int, vezes);
    QFETCH(int, registros);
    const QStringList areas{"Controle Bancário", "Caixa Pessoal"};
    Cenario c;
    c.abre().Agora = [] { return Instante(); };
    for (const QString& a : areas) c.marca(a);
    c.inicia();
    QCOMPARE(c.janela->pcPrincipal->currentWidget(), c.janela->tabFinalizada);
    const qint64 lctos = c.linhas(c.ana, "lctos"), fontes = c.linhas(c.ana, "fontes");
    QVERIFY(lctos > 0);
    QCOMPARE(Importacoes(c.ana), 1);

    // The same source, company and areas, the next day.
    TfrmPrincipal& j = c.reabre();
    j.Agora = [] { return Instante(1); };
    for (const QString& a : areas) c.marca(a);
    const QByteArray antes = LeArquivo(c.ana);
    const QString conteudoAntes = Conteudo(c.ana);
    const QStringList arquivosAntes = Arquivos(c.pasta.arquivo("usuarios"));
    c.dialogos.registro.clear();
    c.dialogos.respostas = {resposta};

    c.inicia();

    const auto [codigo, nome] = c.empresas().first();
    const QString pergunta =
        QString("A empresa %1 (%2) deste banco de dados de origem já foi importada para este usuário em 05/03/2024 às "
                "14:07 (Caixa Pessoal; Controle Bancário)!\r\n\r\nImportar novamente irá duplicar as contas e os "
                "lançamentos já importados, e os saldos ficarão incorretos.\r\n\r\nDeseja importar novamente mesmo "
                "assim ?")
            .arg(codigo)
            .arg(nome);
    // Warning icon (0x30), Yes/No (0x4), No the default (0x100).
    QCOMPARE(c.dialogos.registro, QStringList{"mensagem|" + kTitulo + "|" + pergunta + "|308"});
    QCOMPARE(BotaoPadraoDaCaixa(308), QMessageBox::No);
    QVERIFY(c.dialogos.respostas.isEmpty());
    QCOMPARE(j.pcPrincipal->currentWidget()->objectName(), pagina);
    QCOMPARE(c.linhas(c.ana, "lctos"), vezes * lctos);
    QCOMPARE(c.linhas(c.ana, "fontes"), vezes * fontes);
    QCOMPARE(Importacoes(c.ana), registros);
    const QString copia = c.pasta.arquivo("usuarios/ana.antes-da-importacao-20240306-140709.tpv");
    if (resposta == mb::RespostaNao) {
        QCOMPARE(LeArquivo(c.ana), antes);
        QCOMPARE(Arquivos(c.pasta.arquivo("usuarios")), arquivosAntes);
        QVERIFY(j.btnAvancar->isEnabled());
        QCOMPARE(j.lbTitulo->text(), kTituloConfig);
        QCOMPARE(Marcadas(j.lboxImportacao), (QStringList{"Caixa Pessoal", "Controle Bancário"}));
        QVERIFY(!j.preparacao().instante.isValid());
    } else {
        QCOMPARE(Conteudo(copia), conteudoAntes);
        QCOMPARE(j.lbCopiaSeguranca->text(), kPrefixoCopia + copia);
        // The report tells that the user asked for it again.
        QCOMPARE(j.relatorio().repetidas.size(), 1);
        QCOMPARE(j.relatorio().repetidas.first().quando, QString("2024-03-05T14:07:09-03:00"));
    }
}

void TesteJanela::primeiraImportacao_data() {
    QTest::addColumn<QStringList>("areas");
    QTest::addColumn<QString>("verificacao");
    QTest::addColumn<bool>("copia");
    QTest::newRow("uma área") << QStringList{"Centros de Custos"} << "Verificação: a área importada confere." << true;
    QTest::newRow("três áreas, com dinheiro")
        << QStringList{"Tarefas", "Caixa Pessoal", "Centros de Custos"} << "Verificação: as 3 áreas conferem."
        << true;
    QTest::newRow("nenhuma área") << QStringList{} << "Verificação: nenhuma área importada." << false;
}

void TesteJanela::primeiraImportacao() {
    QFETCH(QStringList, areas);
    QFETCH(QString, verificacao);
    QFETCH(bool, copia);
    Cenario c;
    TfrmPrincipal& j = c.abre();
    j.Agora = [] { return Instante(); };
    for (const QString& a : areas) c.marca(a);
    const QByteArray antes = LeArquivo(c.ana);
    const QString conteudoAntes = Conteudo(c.ana);
    c.dialogos.registro.clear();

    c.inicia();

    QCOMPARE(c.dialogos.registro, QStringList{});
    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabFinalizada);
    QVERIFY(j.preparacaoCompleta());
    QCOMPARE(j.lbVerificacao->text(), verificacao);
    QCOMPARE(j.lbVerificacao->palette().color(QPalette::WindowText), j.palette().color(QPalette::WindowText));
    QCOMPARE(j.lbVerificacao->toolTip(), TextosVerificacao(j.verificacao()).join('\n'));
    QCOMPARE(j.verificacao().size(), areas.size());
    const QString arquivoCopia = c.pasta.arquivo("usuarios/ana.antes-da-importacao-20240305-140709.tpv");
    QStringList arquivos{"ana.tpv", "bruno.tpv"};
    if (copia) {
        arquivos.insert(0, QFileInfo(arquivoCopia).fileName());
        QCOMPARE(Conteudo(arquivoCopia), conteudoAntes);
        QVERIFY(Conteudo(c.ana) != conteudoAntes);
        QCOMPARE(QFileInfo(arquivoCopia).size(), antes.size());
        QCOMPARE(j.lbCopiaSeguranca->text(), kPrefixoCopia + arquivoCopia);
        QCOMPARE(j.preparacao().copiaSeguranca, arquivoCopia);
    } else {
        QCOMPARE(j.lbCopiaSeguranca->text(),
                 QString("Cópia de segurança do destino: não foi feita, nenhuma área foi marcada."));
        QCOMPARE(LeArquivo(c.ana), antes);
    }
    QCOMPARE(j.lbCopiaSeguranca->toolTip(), j.lbCopiaSeguranca->text());
    QCOMPARE(Arquivos(c.pasta.arquivo("usuarios")), arquivos);
    // A run that imported something is recorded, so that it is not repeated unasked.
    QCOMPARE(Importacoes(c.ana), copia ? 1 : 0);
    QVERIFY(j.btnSalvarRelatorio->isEnabled());
    QCOMPARE(j.btnSalvarRelatorio->text(), QString("Salvar relatório..."));

    // The new controls sit between the grid and the log's caption, inside
    // the page, over no other control, each line as tall as its text.
    const QList<QWidget*> novos{j.lbVerificacao, j.lbCopiaSeguranca, j.btnSalvarRelatorio};
    const QList<QWidget*> antigos{j.Label5, j.GridResumo, j.Label6, j.mmoExcecoes};
    for (QWidget* novo : novos) {
        QVERIFY2(j.tabFinalizada->rect().contains(novo->geometry()), qPrintable(novo->objectName()));
        QVERIFY2(novo->geometry().top() >= j.GridResumo->geometry().bottom() &&
                     novo->geometry().bottom() < j.Label6->geometry().top(),
                 qPrintable(novo->objectName()));
        for (QWidget* outro : antigos + novos)
            if (outro != novo)
                QVERIFY2(!novo->geometry().intersects(outro->geometry()),
                         qPrintable(novo->objectName() + " e " + outro->objectName()));
    }
    for (QLabel* linha : {j.lbVerificacao, j.lbCopiaSeguranca})
        QVERIFY2(linha->height() >= linha->fontMetrics().height(), qPrintable(linha->objectName()));
}

void TesteJanela::importacaoSemContagem() {
    // A destination that cannot be counted (no table of accounts): the run
    // goes on as it always did, copied first, and the summary page says
    // that it could not be verified.
    Cenario c;
    {
        auto destino = AbreBanco(c.ana, SenhaBancoDados);
        ExecutaSqlite(*destino, "DROP TABLE fontes");
    }
    QString causa;
    try {
        auto destino = AbreBanco(c.ana, SenhaBancoDados);
        ContasDoDestino(*destino);
    } catch (const Erro& e) {
        causa = e.mensagem();
    }
    QVERIFY(causa.contains("fontes"));
    const QString conteudoAntes = Conteudo(c.ana);
    TfrmPrincipal& j = c.abre();
    j.Agora = [] { return Instante(); };
    c.marca("Tarefas");
    c.marca("Centros de Custos");
    c.dialogos.registro.clear();

    c.inicia();

    QCOMPARE(c.dialogos.registro, QStringList{});
    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabFinalizada);
    QVERIFY(c.linhas(c.ana, "centros_custos") > 0);
    QVERIFY(!j.preparacaoCompleta());
    QCOMPARE(j.lbVerificacao->text(), kSemVerificacao + QString(causa).replace("\r\n", " ").simplified());
    QCOMPARE(j.lbVerificacao->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(j.verificacao().isEmpty());
    const QString copia = c.pasta.arquivo("usuarios/ana.antes-da-importacao-20240305-140709.tpv");
    QCOMPARE(Conteudo(copia), conteudoAntes);
    QCOMPARE(j.lbCopiaSeguranca->text(), kPrefixoCopia + copia);
    const PreparacaoImportacao& p = j.preparacao();
    QCOMPARE(p.origem, QFileInfo(c.antiga).canonicalFilePath());
    QCOMPARE(p.destino, c.ana);
    QCOMPARE(p.empresa, c.empresas().first().first);
    QCOMPARE(p.areas, (QStringList{"Centros de Custos", "Tarefas"}));
    QCOMPARE(p.instante, Instante());
    QVERIFY(j.btnSalvarRelatorio->isEnabled());
}

void TesteJanela::falhaDaCopiaNadaImporta() {
    // A file name so long that the copy's, 36 characters longer, is more
    // than a file name can be; the whole path still fits the users table.
    Cenario c;
    const QString nome = QString(216, 'a');
    const QString destino = c.pasta.arquivo(nome + ".tpv");
    QVERIFY2(destino.size() <= 255, "a pasta temporária tem um caminho longo demais para este teste");
    c.novaBase(destino);
    c.usuarios({destino});
    TfrmPrincipal& j = c.abre();
    j.Agora = [] { return Instante(); };
    c.marca("Centros de Custos");
    const QByteArray antes = LeArquivo(destino);
    const QStringList arquivosAntes = Arquivos(c.pasta.caminho());
    c.dialogos.registro.clear();

    c.inicia();

    const QString copia = c.pasta.arquivo(nome + ".antes-da-importacao-20240305-140709.tpv");
    QCOMPARE(c.dialogos.registro,
             QStringList{"erro|A cópia de segurança do destino não pôde ser feita, e nada foi importado. Não foi "
                         "possível abrir o banco de dados '" + copia + "': unable to open database file."});
    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabConfig);
    QVERIFY(j.btnAvancar->isEnabled());
    QCOMPARE(LeArquivo(destino), antes);
    QCOMPARE(Arquivos(c.pasta.caminho()), arquivosAntes);
}

void TesteJanela::salvarRelatorio_data() {
    QTest::addColumn<QString>("arquivo");   // inside the test's folder; empty: the dialog is cancelled
    QTest::addColumn<bool>("grava");
    QTest::addColumn<QString>("mensagem");  // the error box's text; %1 is the chosen path
    QTest::newRow("salvo") << "relatorio.html" << true << "";
    QTest::newRow("cancelado") << "" << false << "";
    QTest::newRow("pasta que não existe")
        << "sumiu/relatorio.html" << false << "Não foi possível gravar o arquivo '%1': No such file or directory.";
}

void TesteJanela::salvarRelatorio() {
    QFETCH(QString, arquivo);
    QFETCH(bool, grava);
    QFETCH(QString, mensagem);
    Cenario c;
    TfrmPrincipal& j = c.abre();
    j.Agora = [] { return Instante(); };
    c.marca("Centros de Custos");
    c.marca("Tarefas");
    c.inicia();
    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabFinalizada);
    const QString caminho = arquivo.isEmpty() ? QString() : c.pasta.arquivo(arquivo);
    const QStringList arquivosAntes = Arquivos(c.pasta.caminho());
    c.dialogos.registro.clear();
    c.dialogos.arquivosSalvar = {caminho};

    j.btnSalvarRelatorio->click();

    QStringList dialogos{"salvar|Salvar relatório da importação|" + kFiltroHtml +
                         "|relatorio-importacao-20240305-140709.html"};
    if (!mensagem.isEmpty()) dialogos << "mensagem|" + kTitulo + "|" + mensagem.arg(caminho) + "|16";
    QCOMPARE(c.dialogos.registro, dialogos);
    QVERIFY(!c.dialogos.faltouResposta);
    QCOMPARE(j.pcPrincipal->currentWidget(), j.tabFinalizada);
    if (!grava) {
        QCOMPARE(Arquivos(c.pasta.caminho()), arquivosAntes);
        QVERIFY(!QFileInfo::exists(c.pasta.arquivo("sumiu")));
        return;
    }
    // The report of this run: what was prepared, the grid's rows, the
    // memo's log and the verification.
    const PreparacaoImportacao& p = j.preparacao();
    QCOMPARE(p.origem, QFileInfo(c.antiga).canonicalFilePath());
    QCOMPARE(p.somaOrigem, SomaDoArquivo(c.antiga));
    QCOMPARE(p.empresa, c.empresas().first().first);
    QCOMPARE(p.nomeEmpresa, c.empresas().first().second);
    QCOMPARE(p.destino, c.ana);
    QCOMPARE(p.areas, (QStringList{"Centros de Custos", "Tarefas"}));
    QCOMPARE(p.instante, Instante());
    QCOMPARE(p.copiaSeguranca, c.pasta.arquivo("usuarios/ana.antes-da-importacao-20240305-140709.tpv"));
    const QString html =
        RelatorioEmHtml(MontaRelatorio(p, LinhasDaGrade(j.GridResumo), LogDoMemo(j.mmoExcecoes), j.verificacao()));
    QCOMPARE(QString::fromUtf8(LeArquivo(caminho)), html);
    QCOMPARE(LeArquivo(caminho), html.toUtf8());
    // Read by a person: the verification's sentence and the grid's rows.
    QVERIFY(html.contains("<p>Verificação: as 2 áreas conferem.</p>"));
    for (const LinhaResumo& l : LinhasDaGrade(j.GridResumo))
        QVERIFY2(html.contains("<tr><td>" + l.cadastro + "</td><td class=\"numero\">" + l.total + "</td>"),
                 qPrintable(l.cadastro));
    QCOMPARE(Arquivos(c.pasta.caminho()), arquivosAntes + QStringList{"relatorio.html"});
}

void TesteJanela::botaoPadrao_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("padrao");
    QTest::addColumn<int>("enter");  // the answer when Enter is pressed in the real box
    QTest::newRow("308: atenção, Sim e Não, Não padrão") << 308 << int(QMessageBox::No) << int(mb::RespostaNao);
    QTest::newRow("52: atenção, Sim e Não") << 52 << int(QMessageBox::NoButton) << int(mb::RespostaSim);
    QTest::newRow("257: OK e Cancelar, Cancelar padrão") << 257 << int(QMessageBox::Cancel) << 2;
    QTest::newRow("272: erro, só OK, sem segundo botão") << 272 << int(QMessageBox::NoButton) << int(mb::RespostaOk);
}

void TesteJanela::botaoPadrao() {
    QFETCH(int, flags);
    QFETCH(int, padrao);
    QFETCH(int, enter);
    QCOMPARE(int(BotaoPadraoDaCaixa(flags)), padrao);
    // The real box, answered with Enter as soon as it is on screen.
    QString vista;
    QTimer tecla;
    QObject::connect(&tecla, &QTimer::timeout, [&] {
        if (auto* caixa = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            tecla.stop();
            vista = caixa->text();
            QTest::keyClick(caixa, Qt::Key_Return);
        }
    });
    tecla.start(10);
    DialogosQt dialogos;
    QCOMPARE(dialogos.mensagem(nullptr, kTitulo, "Confirma?", flags), enter);
    QCOMPARE(vista, QString("Confirma?"));
}

QFontMetrics MedidasDaJanela() {
    QFont fonte("Tahoma");
    fonte.setPixelSize(11);
    return QFontMetrics(fonte);
}

void TesteJanela::textoAbreviado_data() {
    QTest::addColumn<QString>("texto");
    QTest::addColumn<QString>("prefixo");
    QTest::addColumn<bool>("caminho");
    QTest::addColumn<int>("largura");
    QTest::addColumn<QString>("comeco");  // what the shown text begins with
    QTest::addColumn<QString>("fim");     // and ends with
    // The widths come from the font the machine gives for the window's.
    const QFontMetrics m = MedidasDaJanela();
    const QString nome = "/ana.antes-da-importacao-20240305-140709.tpv";
    const QString copia = kPrefixoCopia + "/home/ana/Documentos/Tarvo Pessoal/usuarios" + nome;
    const QString divergencias = "Verificação: divergências em Caixa Pessoal; Cartões de Crédito; Contas a Pagar; "
                                 "Contas a Receber; Controle Bancário; Investimentos.";
    const QString confere = "Verificação: as 3 áreas conferem.";
    QTest::newRow("cabe inteiro") << confere << "Verificação: " << false << m.horizontalAdvance(confere) << confere
                                  << confere;
    QTest::newRow("frase cortada no fim")
        << divergencias << "Verificação: " << false
        << m.horizontalAdvance("Verificação: divergências em Caixa Pessoal") << "Verificação: divergências em" << "…";
    QTest::newRow("caminho: a pasta perde o meio")
        << copia << kPrefixoCopia << true << m.horizontalAdvance(kPrefixoCopia + "/home/ana/Documentos" + nome)
        << kPrefixoCopia + "/h" << nome;
    QTest::newRow("caminho: nem o nome cabe") << copia << kPrefixoCopia << true
                                              << m.horizontalAdvance(kPrefixoCopia + "/ana.antes-da-importacao")
                                              << kPrefixoCopia + "/h" << "0709.tpv";
    QTest::newRow("prefixo que não está no texto")
        << "Outra coisa qualquer, longa demais para o rótulo" << kPrefixoCopia << true
        << m.horizontalAdvance("Outra coisa qualquer") << "Outra" << "rótulo";
}

void TesteJanela::textoAbreviado() {
    QFETCH(QString, texto);
    QFETCH(QString, prefixo);
    QFETCH(bool, caminho);
    QFETCH(int, largura);
    QFETCH(QString, comeco);
    QFETCH(QString, fim);
    const QFontMetrics medidas = MedidasDaJanela();
    const QString visto = TextoAbreviado(texto, prefixo, caminho, medidas, largura);
    QVERIFY2(visto.startsWith(comeco) && visto.endsWith(fim), qPrintable(visto));
    QVERIFY2(medidas.horizontalAdvance(visto) <= largura, qPrintable(visto));
    const bool cabe = medidas.horizontalAdvance(texto) <= largura;
    QCOMPARE(visto == texto, cabe);
    QCOMPARE(visto.count(QChar(0x2026)), cabe ? 0 : 1);
}

QTEST_MAIN(TesteJanela)
#include "janela_test.moc"
