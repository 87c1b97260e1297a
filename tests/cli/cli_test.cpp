// importador-cli as a user runs it: arguments, output, exit status.
#include "apoio/bancos.h"
#include "apoio/impressao_resumo.h"
#include "apoio/pasta_temporaria.h"
#include "relatorio_importacao.h"
#include "seguranca.h"
#include "verificacao.h"

#include <QDir>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tarvo::testes;

namespace {

struct Execucao {
    int status = -1;
    QString saida, erros;
};

Execucao executa(const QString& programa, const QStringList& args,
                 const QProcessEnvironment& ambiente = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(ambiente);
    p.start(programa, args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

Execucao cli(const QStringList& args) { return executa(TARVO_CLI, args); }

// One demonstration folder for all the tests of this file.
class Cli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        pasta = new PastaTemporaria;
        const auto r = executa(TARVO_AMOSTRA, {"demo", pasta->caminho() + "/demo"});
        ASSERT_EQ(r.status, 0) << r.erros.toStdString();
    }
    static void TearDownTestSuite() {
        delete pasta;
        pasta = nullptr;
    }
    static QString demo(const QString& nome) { return pasta->caminho() + "/demo/" + nome; }
    static QString copia(const QString& nome) {
        const QString alvo = pasta->caminho() + "/" + QString::number(++copias) + "-" + nome.section('/', -1);
        QFile::copy(demo(nome), alvo);
        return alvo;
    }
    static inline PastaTemporaria* pasta = nullptr;
    static inline int copias = 0;
};

}  // namespace

TEST_F(Cli, AjudaEmPortugues) {
    const auto r = cli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.saida.startsWith("Uso:\n  importador-cli --origem ARQUIVO --empresa CODIGO --destino ARQUIVO"));
    EXPECT_TRUE(r.saida.contains("--listar-empresas     Mostra as empresas do banco antigo (código e nome)."));
}

TEST_F(Cli, UsoIncorretoSai2ComMensagem) {
    struct Caso {
        const char* nome;
        QStringList args;
        QString erro;
    } casos[] = {
        {"sem origem", {"--tudo"}, "importador-cli: falta --origem.\n"},
        {"opcao desconhecida", {"--origem", "x", "--rapido"}, "importador-cli: opção desconhecida: --rapido\n"},
        {"sem areas", {"--origem", "x", "--empresa", "1", "--destino", "y"}, "importador-cli: indique --tudo ou --areas.\n"},
        {"empresa nao numerica", {"--origem", "x", "--empresa", "um", "--destino", "y", "--tudo"},
         "importador-cli: o código de empresa 'um' não é um número.\n"},
        {"valor faltando", {"--origem"}, "importador-cli: a opção --origem precisa de um valor.\n"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        const auto r = cli(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.erros, c.erro + "Use --help para ver as opções.\n");
    }
}

TEST_F(Cli, ListaEmpresasETabelas) {
    const auto r = cli({"--origem", demo("TarvoPessoal.mdb"), "--listar-empresas"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.saida, "1\tFamília Conceição\n2\tJosé & Filhos Comércio Ltda.\n3\tAção Imobiliária São Paulo Ltda.\n");
    const auto t = cli({"--origem", demo("TarvoPessoal.mdb"), "--tabelas"});
    EXPECT_EQ(t.status, 0);
    EXPECT_TRUE(t.saida.startsWith("empresa\ncaixa_contas\n"));
}

TEST_F(Cli, ExportaTabelaEmCsv) {
    const auto r = cli({"--origem", demo("TarvoPessoal.mdb"), "--exportar", "empresa"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.saida, "codigo,nome\n1,\"Família Conceição\"\n2,\"José & Filhos Comércio Ltda.\"\n"
                       "3,\"Ação Imobiliária São Paulo Ltda.\"\n");
    const auto f = cli({"--origem", demo("TarvoPessoal.mdb"), "--exportar", "nada"});
    EXPECT_EQ(f.status, 3);
    EXPECT_EQ(f.erros, "Erro: O mecanismo de banco de dados não encontrou a tabela de entrada ou consulta 'nada'. "
                       "Certifique-se de que ela existe e que seu nome está escrito corretamente.\n");
}

TEST_F(Cli, ImportaTudoRelatorioIgualASaida) {
    const QString destino = copia("usuarios/ana.tpv");
    const QString relatorio = pasta->arquivo("rel.txt");
    const auto r = cli({"--origem", demo("TarvoPessoal.mdb"), "--empresa", "2", "--destino", destino, "--tudo",
                        "--relatorio", relatorio});
    EXPECT_EQ(r.status, 0) << r.erros.toStdString();
    EXPECT_TRUE(r.saida.startsWith("Resumo da importação\n\nCadastro "));
    EXPECT_TRUE(r.saida.endsWith("\nExceções ocorridas durante a importação:\n"));
    EXPECT_EQ(QString::fromUtf8(LeArquivo(relatorio)), r.saida);
    EXPECT_TRUE(r.erros.contains("[20/20] Importando Investimentos...\n"));
    auto con = AbreBanco(destino, "quillbend");
    EXPECT_NE(ValorSqlite(*con, "SELECT count(*) FROM lctos"), "0");
}

TEST_F(Cli, SenhaDoUsuario) {
    const QString destino = copia("usuarios/bruno.tpv");
    const QStringList base{"--origem", demo("TarvoPessoal.mdb"), "--empresa", "1", "--destino", destino,
                           "--areas", "Centros de Custos"};
    auto semSenha = cli(base);
    EXPECT_EQ(semSenha.status, 3);
    EXPECT_TRUE(semSenha.erros.endsWith("Erro: Este usuário é protegido por senha: informe a senha.\n"));
    auto errada = cli(base + QStringList{"--senha", "TARVO123"});
    EXPECT_EQ(errada.status, 3);
    EXPECT_TRUE(errada.erros.endsWith("Erro: A senha informada esta incorreta !!\n"));
    auto con = AbreBanco(destino, "quillbend");
    EXPECT_EQ(ValorSqlite(*con, "SELECT count(*) FROM centros_custos"), "0");
    con.reset();
    auto certa = cli(base + QStringList{"--senha", "tarvo123"});
    EXPECT_EQ(certa.status, 0) << certa.erros.toStdString();
    EXPECT_TRUE(certa.saida.contains("\nCentros de Custos "));
}

TEST_F(Cli, EmpresaOuAreaDesconhecida) {
    const QString destino = copia("usuarios/ana.tpv");
    auto r = cli({"--origem", demo("TarvoPessoal.mdb"), "--empresa", "9", "--destino", destino, "--tudo"});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(r.erros.endsWith("Erro: A empresa 9 não existe no banco de dados de origem. Empresas: 1 (Família "
                                 "Conceição), 2 (José & Filhos Comércio Ltda.), 3 (Ação Imobiliária São Paulo Ltda.).\n"));
    auto a = cli({"--origem", demo("TarvoPessoal.mdb"), "--empresa", "1", "--destino", destino, "--areas",
                  "Caixa Pessoal;Caixa"});
    EXPECT_EQ(a.status, 3);
    EXPECT_TRUE(a.erros.contains("Erro: Área desconhecida: \"Caixa\". As áreas são: Agenda de Compromissos; "));
}

TEST_F(Cli, ExcecoesDaoStatus1) {
    const QString destino = copia("usuarios/ana.tpv");
    auto con = AbreBanco(destino, "quillbend");
    ExecutaSqlite(*con, "INSERT INTO centros_custos (id, area, descricao) SELECT 1, 1, 'ocupa o id 1'");
    con.reset();
    auto r = cli({"--origem", demo("TarvoPessoal.mdb"), "--empresa", "1", "--destino", destino, "--areas",
                  "Centros de Custos"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.saida.contains("Ação ..............: Salvando\r\nTabela de Origem ..: CENTROS_CUSTOS\r\n"));
}

// ------------------------------------------------------- the safety net

namespace {

// The rows of the summary table that the runner prints.
QList<tarvo::LinhaResumo> ResumoImpresso(const QString& saida) {
    static const QRegularExpression linha("^(.*?) {2,}(\\d+) {2,}(\\d+) {2,}(\\d+)$");
    QList<tarvo::LinhaResumo> linhas;
    const QStringList todas = saida.section("\n\n", 1, 1).split('\n');
    for (const QString& l : todas.mid(2)) {
        const auto m = linha.match(l);
        if (m.hasMatch()) linhas.append({m.captured(1), m.captured(2), m.captured(3), m.captured(4)});
    }
    return linhas;
}

// The path after "Cópia de segurança do destino: ".
QString CopiaImpressa(const QString& saida) {
    static const QRegularExpression linha("^Cópia de segurança do destino: (.+)$",
                                          QRegularExpression::MultilineOption);
    return linha.match(saida).captured(1);
}

QStringList CopiasDe(const QString& destino) {
    const QFileInfo info(destino);
    return QDir(info.path()).entryList({info.completeBaseName() + ".antes-da-importacao-*"}, QDir::Files);
}

}  // namespace

TEST_F(Cli, AjudaMostraARedeDeSeguranca) {
    const auto r = cli({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* trecho :
         {"  importador-cli --desfazer COPIA [--destino ARQUIVO]\n",
          "  --simular             Faz a importação inteira numa cópia temporária do\n",
          "  --reimportar          Importa mesmo que esta empresa deste banco antigo já\n",
          "  --sem-copia           Não faz a cópia de segurança do destino antes de\n",
          "  --json ARQUIVO        Grava o relatório da importação (resumo,\n",
          "  --html ARQUIVO        Grava o mesmo relatório como uma página HTML,\n",
          "  4  importação repetida recusada (veja --reimportar); nada foi alterado.\n"}) {
        SCOPED_TRACE(trecho);
        EXPECT_TRUE(r.saida.contains(QString::fromUtf8(trecho)));
    }
}

TEST_F(Cli, SegundaImportacaoDaMesmaAmostraRecusada) {
    const QString destino = copia("usuarios/ana.tpv");
    const QStringList args{"--origem", demo("TarvoPessoal.mdb"), "--empresa", "1", "--destino", destino,
                           "--areas",  "Caixa Pessoal;Tarefas"};
    const auto primeira = cli(args);
    ASSERT_EQ(primeira.status, 0) << primeira.erros.toStdString();
    auto con = AbreBanco(destino, "quillbend");
    const QString quando = ValorSqlite(*con, "SELECT quando FROM importacoes_tarvo");
    const qint64 lctos = ValorSqlite(*con, "SELECT count(*) FROM lctos").toLongLong();
    con.reset();
    const QString soma = tarvo::SomaDoArquivo(destino);
    const QStringList copias = CopiasDe(destino);
    EXPECT_EQ(copias.size(), 1);

    const QString jaImportada =
        "A empresa 1 (Família Conceição) deste banco de dados de origem já foi importada para este destino em " +
        QDateTime::fromString(quando, Qt::ISODate).toString("dd/MM/yyyy 'às' HH:mm") +
        " (Tarefas; Caixa Pessoal). Importar novamente duplicaria as contas e os lançamentos já importados, e os "
        "saldos ficariam incorretos.";
    const auto segunda = cli(args);
    EXPECT_EQ(segunda.status, 4);
    EXPECT_EQ(segunda.erros, "Erro: " + jaImportada + " Para importar mesmo assim, use --reimportar.\n");
    EXPECT_EQ(tarvo::SomaDoArquivo(destino), soma);
    EXPECT_EQ(CopiasDe(destino), copias);
    // A dry run of it is refused the same way.
    EXPECT_EQ(cli(args + QStringList{"--simular"}).status, 4);

    // Asked to go on: the tasks keep their old codes and are refused the
    // second time (status 1), the cash entries are doubled.
    const auto terceira = cli(args + QStringList{"--reimportar"});
    EXPECT_EQ(terceira.status, 1) << terceira.erros.toStdString();
    const auto resumo = ResumoImpresso(terceira.saida);
    ASSERT_EQ(resumo.size(), 2);
    EXPECT_EQ(resumo[1].cadastro, "Tarefas");
    EXPECT_EQ(resumo[1].importados, "0");
    EXPECT_EQ(resumo[1].naoImportados, resumo[1].total);
    EXPECT_TRUE(terceira.erros.startsWith("Aviso: " + jaImportada +
                                          " Importando novamente, como pedido por --reimportar.\n"));
    con = AbreBanco(destino, "quillbend");
    EXPECT_EQ(ValorSqlite(*con, "SELECT count(*) FROM lctos").toLongLong(), 2 * lctos);
    EXPECT_EQ(ValorSqlite(*con, "SELECT count(*) FROM importacoes_tarvo"), "2");
    EXPECT_EQ(CopiasDe(destino).size(), 2);
}

TEST_F(Cli, CopiaDeSegurancaDesfeitaByteAByte) {
    const QString destino = copia("usuarios/ana.tpv");
    const auto r = cli({"--origem", demo("TarvoPessoal.mdb"), "--empresa", "3", "--destino", destino, "--tudo"});
    ASSERT_EQ(r.status, 0) << r.erros.toStdString();
    const QString copiaFeita = CopiaImpressa(r.saida);
    EXPECT_EQ(CopiasDe(destino), QStringList{QFileInfo(copiaFeita).fileName()});
    EXPECT_EQ(tarvo::DestinoDaCopia(copiaFeita), std::optional<QString>(destino));
    EXPECT_TRUE(r.saida.contains("\nPara desfazer a importação: importador-cli --desfazer \"" + copiaFeita + "\"\n"));

    {
        // Refused while the destination is being read.
        auto leitor = AbreBanco(destino, "quillbend");
        ExecutaSqlite(*leitor, "BEGIN; SELECT count(*) FROM lctos;");
        const auto recusa = cli({"--desfazer", copiaFeita});
        EXPECT_EQ(recusa.status, 3);
        EXPECT_EQ(recusa.erros, "Erro: O banco de dados '" + destino +
                                    "' está em uso por outro programa: feche-o e tente novamente.\n");
        ExecutaSqlite(*leitor, "COMMIT");
    }
    const auto d = cli({"--desfazer", copiaFeita});
    EXPECT_EQ(d.status, 0) << d.erros.toStdString();
    EXPECT_EQ(d.saida, "Importação desfeita: '" + destino + "' voltou a ser a cópia '" + copiaFeita + "'.\n");
    EXPECT_EQ(LeArquivo(destino), LeArquivo(copiaFeita));
    auto con = AbreBanco(destino, "quillbend");
    EXPECT_EQ(ValorSqlite(*con, "SELECT count(*) FROM lctos"), "0");
    EXPECT_EQ(ValorSqlite(*con, "SELECT count(*) FROM sqlite_master WHERE name = 'importacoes_tarvo'"), "0");

    const auto nome = cli({"--desfazer", destino});
    EXPECT_EQ(nome.status, 2);
    EXPECT_EQ(nome.erros, "importador-cli: '" + destino +
                              "' não tem o nome de uma cópia de segurança "
                              "(ARQUIVO.antes-da-importacao-AAAAMMDD-HHMMSS.EXT): indique --destino.\n"
                              "Use --help para ver as opções.\n");
}

TEST_F(Cli, SemCopiaNaoCopia) {
    const QString destino = copia("usuarios/ana.tpv");
    const auto r = cli({"--origem", demo("TarvoPessoal.mdb"), "--empresa", "1", "--destino", destino, "--areas",
                        "Tarefas", "--sem-copia"});
    EXPECT_EQ(r.status, 0) << r.erros.toStdString();
    EXPECT_EQ(CopiasDe(destino), QStringList());
    EXPECT_FALSE(r.saida.contains("Cópia de segurança"));
}

TEST_F(Cli, SimulacaoNaoMudaOChecksumDoDestino) {
    const QString destino = copia("usuarios/ana.tpv");
    const QString soma = tarvo::SomaDoArquivo(destino);
    const QString temporaria = pasta->arquivo("tmp-simulacao");
    QDir().mkpath(temporaria);
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert("TMPDIR", temporaria);
    const QStringList args{"--origem", demo("TarvoPessoal.mdb"), "--empresa", "2", "--destino", destino, "--tudo"};
    const auto r = executa(TARVO_CLI, args + QStringList{"--simular"}, ambiente);
    EXPECT_EQ(r.status, 0) << r.erros.toStdString();
    EXPECT_EQ(tarvo::SomaDoArquivo(destino), soma);
    EXPECT_EQ(CopiasDe(destino), QStringList());
    EXPECT_EQ(QDir(temporaria).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    EXPECT_TRUE(r.saida.contains(
        "\n\nSimulação: a importação foi feita numa cópia temporária; o destino não foi alterado.\n\n"
        "Exceções ocorridas durante a importação:\n"));
    EXPECT_TRUE(r.saida.contains("\nVerificação: as 20 áreas conferem.\n"));

    // The real import gives the same summary.
    const auto real = cli(args);
    EXPECT_EQ(real.status, 0) << real.erros.toStdString();
    EXPECT_EQ(ResumoImpresso(r.saida), ResumoImpresso(real.saida));
    EXPECT_EQ(ResumoImpresso(r.saida).size(), 28);
    EXPECT_NE(tarvo::SomaDoArquivo(destino), soma);
}

TEST_F(Cli, RelatorioJsonLidoDeVoltaEHtml) {
    const QString destino = copia("usuarios/ana.tpv");
    auto con = AbreBanco(destino, "quillbend");
    ExecutaSqlite(*con, "INSERT INTO centros_custos (id, area, descricao) SELECT 1, 1, 'ocupa o id 1'");
    con.reset();
    const QString json = pasta->arquivo("relatorio.json"), html = pasta->arquivo("relatorio.html");
    const auto r = cli({"--origem", demo("TarvoPessoal.mdb"), "--empresa", "1", "--destino", destino, "--areas",
                        "Centros de Custos;Caixa Pessoal;Cartões de Crédito", "--json", json, "--html", html});
    EXPECT_EQ(r.status, 1) << r.erros.toStdString();

    QJsonParseError erro;
    const QJsonDocument documento = QJsonDocument::fromJson(LeArquivo(json), &erro);
    ASSERT_EQ(erro.error, QJsonParseError::NoError) << erro.errorString().toStdString();
    const tarvo::RelatorioImportacao rel = tarvo::LeRelatorioJson(documento);
    // Everything the runner printed is in it.
    EXPECT_EQ(rel.resumo, ResumoImpresso(r.saida));
    EXPECT_EQ(rel.excecoes, r.saida.section("Exceções ocorridas durante a importação:\n", 1));
    EXPECT_TRUE(rel.excecoes.startsWith("Ação ..............: Salvando\r\nTabela de Origem ..: CENTROS_CUSTOS\r\n"));
    EXPECT_TRUE(r.saida.contains("\n" + tarvo::ResumoVerificacao(rel.verificacao) + "\n" +
                                 tarvo::TextosVerificacao(rel.verificacao).join('\n') + "\n\n"));
    EXPECT_EQ(rel.copiaSeguranca, CopiaImpressa(r.saida));
    EXPECT_EQ(rel.origem, demo("TarvoPessoal.mdb"));
    EXPECT_EQ(rel.somaOrigem, tarvo::SomaDoArquivo(demo("TarvoPessoal.mdb")));
    EXPECT_EQ(rel.empresa, 1);
    EXPECT_EQ(rel.nomeEmpresa, "Família Conceição");
    EXPECT_EQ(rel.destino, destino);
    EXPECT_EQ(rel.areas, QStringList({"Centros de Custos", "Caixa Pessoal", "Cartões de Crédito"}));
    EXPECT_FALSE(rel.simulacao);
    EXPECT_EQ(rel.erro, "");
    ASSERT_EQ(rel.verificacao.size(), 3);
    EXPECT_EQ(rel.verificacao[0].recusadas, 1);
    EXPECT_TRUE(rel.verificacao[2].dinheiro);
    for (const auto& v : rel.verificacao) EXPECT_TRUE(v.confere()) << v.area.toStdString();
    con = AbreBanco(destino, "quillbend");
    EXPECT_EQ(ValorSqlite(*con, "SELECT count(*) FROM lctos"),
              QString::number(rel.verificacao[1].importadas + rel.verificacao[2].importadas -
                              ValorSqlite(*con, "SELECT count(*) FROM fontes WHERE tipo = 'CA'").toLongLong()));

    // The page is that report, whole.
    const QString pagina = QString::fromUtf8(LeArquivo(html));
    EXPECT_EQ(pagina, tarvo::RelatorioEmHtml(rel));
    QString excecoes = rel.excecoes;
    EXPECT_TRUE(pagina.contains("<pre>" + excecoes.replace("\r\n", "\n").toHtmlEscaped() + "</pre>"));
    const auto centros = std::find_if(rel.resumo.begin(), rel.resumo.end(),
                                      [](const tarvo::LinhaResumo& l) { return l.cadastro == "Centros de Custos"; });
    ASSERT_NE(centros, rel.resumo.end());
    EXPECT_EQ(centros->naoImportados, "1");
    EXPECT_TRUE(pagina.contains("<tr><td>Centros de Custos</td><td class=\"numero\">" + centros->total +
                                "</td><td class=\"numero importados\">" + centros->importados +
                                "</td><td class=\"numero nao-importados\">1</td></tr>"));
}

TEST_F(Cli, ProgressoEstimaOTempoRestantePelasLinhasContadas) {
    const QString destino = copia("usuarios/ana.tpv");
    const auto r = cli({"--origem", demo("TarvoPessoal.mdb"), "--empresa", "2", "--destino", destino, "--tudo"});
    EXPECT_EQ(r.status, 0) << r.erros.toStdString();
    qint64 lidas = 0;
    for (const auto& l : ResumoImpresso(r.saida)) lidas += l.total.toLongLong();
    static const QRegularExpression estimativa(
        "^ {8}tempo restante estimado: (menos de 1 s|\\d+ s|\\d+ min \\d\\d s|\\d+ h \\d\\d min) "
        "\\((\\d+) de (\\d+) linhas lidas\\)$",
        QRegularExpression::MultilineOption);
    qint64 anterior = 0;
    int linhas = 0;
    for (auto it = estimativa.globalMatch(r.erros); it.hasNext(); ++linhas) {
        const auto m = it.next();
        SCOPED_TRACE(m.captured(0).toStdString());
        EXPECT_EQ(m.captured(3).toLongLong(), lidas);
        EXPECT_GE(m.captured(2).toLongLong(), anterior);
        EXPECT_LT(m.captured(2).toLongLong(), lidas);
        anterior = m.captured(2).toLongLong();
    }
    // One under every area but the first, which starts with nothing read.
    EXPECT_EQ(linhas, 19);
    EXPECT_TRUE(r.erros.contains("[20/20] Importando Investimentos...\n        tempo restante estimado: "));
}
