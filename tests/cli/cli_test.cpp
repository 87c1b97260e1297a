// importador-cli as a user runs it: arguments, output, exit status.
#include "apoio/bancos.h"
#include "apoio/pasta_temporaria.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace tarvo::testes;

namespace {

struct Execucao {
    int status = -1;
    QString saida, erros;
};

Execucao executa(const QString& programa, const QStringList& args) {
    QProcess p;
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
