#include "apoio/afirmacoes.h"
#include "apoio/bancos.h"
#include "apoio/pasta_temporaria.h"
#include "db/consulta.h"
#include "erros.h"
#include "esquemas.h"
#include "funcoes.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::db;
using namespace tarvo::testes;

namespace {

class Banco : public ::testing::Test {
protected:
    void SetUp() override {
        arquivo = pasta.arquivo("ana.tpv");
        CriaBanco(arquivo, esquemas::nova(), "quillbend");
        con = AbreBanco(arquivo, "quillbend");
    }
    PastaTemporaria pasta;
    QString arquivo;
    std::unique_ptr<Conexao> con;
};

}  // namespace

TEST(TextoDeConexao, PartesEErros) {
    const auto p = AnalisaConnectionString(MontaConnectionString("/d/a;b.mdb", "quillbend"));
    EXPECT_EQ(p.arquivo, "/d/a;b.mdb");
    EXPECT_EQ(p.senha, "quillbend");
    EXPECT_EQ(MontaConnectionString("/d/ana.tpv", "quillbend"),
              "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/ana.tpv;Persist Security Info=False;"
              "Jet OLEDB:Database Password=quillbend;");
    const auto q = AnalisaConnectionString(
        "provider=microsoft.jet.oledb.4.0; DATA SOURCE=\"/d/a;b.mdb\";Jet OLEDB:Database Password='x''y';");
    EXPECT_EQ(q.arquivo, "/d/a;b.mdb");
    EXPECT_EQ(q.senha, "x'y");
    EXPECT_ERRO_BANCO(AnalisaConnectionString("Provider=SQLOLEDB;Data Source=x"),
                      "Provedor não reconhecido: 'SQLOLEDB'.");
    EXPECT_ERRO_BANCO(AnalisaConnectionString("Data Source=x"), "O texto de conexão não indica o provedor.");
    EXPECT_ERRO_BANCO(AnalisaConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=;"),
                      "O texto de conexão não indica o arquivo do banco de dados (Data Source).");
}

TEST(Abertura, BackendPeloConteudoNaoPeloNome) {
    PastaTemporaria pasta;
    const QString sqlite = pasta.arquivo("antiga.mdb");
    CriaBanco(sqlite, "CREATE TABLE t (codigo INTEGER)");
    EXPECT_EQ(AbreBanco(sqlite)->backend(), Backend::SQLite);

    const QString texto = pasta.arquivo("texto.mdb");
    EscreveArquivo(texto, "isto não é um banco de dados");
    EXPECT_ERRO_BANCO(AbreBanco(texto), QString("Formato de banco de dados não reconhecido: '%1'.").arg(texto));
    const QString vazio = pasta.arquivo("vazio.mdb");
    EscreveArquivo(vazio, "");
    EXPECT_ERRO_BANCO(AbreBanco(vazio), QString("Formato de banco de dados não reconhecido: '%1'.").arg(vazio));
    const QString falta = pasta.arquivo("falta.mdb");
    EXPECT_ERRO_BANCO(AbreBanco(falta), QString("Não foi possível encontrar o arquivo '%1'.").arg(falta));
    EXPECT_ERRO_BANCO(AbreBanco(pasta.caminho()),
                      QString("'%1' é uma pasta, não um arquivo de banco de dados.").arg(pasta.caminho()));
}

TEST_F(Banco, SenhaDoBancoSoAbreComEla) {
    con->close();
    EXPECT_ERRO_BANCO(AbreBanco(arquivo, "errada"),
                      QString("Não é uma senha válida para o banco de dados '%1'.").arg(arquivo));
    EXPECT_ERRO_BANCO(AbreBanco(arquivo, ""),
                      QString("Não é uma senha válida para o banco de dados '%1'.").arg(arquivo));
    EXPECT_TRUE(AbreBanco(arquivo, "quillbend")->connected());
    // A file that records no password opens with any, as the old driver did.
    const QString livre = pasta.arquivo("livre.tpv");
    CriaBanco(livre, "CREATE TABLE t (a INTEGER)");
    EXPECT_TRUE(AbreBanco(livre, "qualquer")->connected());
    EXPECT_FALSE(AbreBanco(livre)->tabelas().contains("msys_senha"));
}

TEST_F(Banco, TabelaInexistenteTemAFraseDoMotor) {
    const QString msg = "O mecanismo de banco de dados não encontrou a tabela de entrada ou consulta 'agendas'. "
                        "Certifique-se de que ela existe e que seu nome está escrito corretamente.";
    Consulta q(con.get(), "select * from agendas");
    EXPECT_ERRO_BANCO(q.open(), msg);
    EXPECT_FALSE(q.active());
    Consulta r(con.get(), "select max(id) as aa from agendas");
    EXPECT_ERRO_BANCO(r.open(), msg);
    EXPECT_ERRO_BANCO(con->execute("delete * from agendas"), msg);
}

TEST_F(Banco, ContagemEventosELeituraEmSequencia) {
    ExecutaSqlite(*con, "INSERT INTO centros_custos VALUES (5,1,'Casa'),(9,1,'Carro'),(7,2,'Outro')");
    Consulta q(con.get(), "select * from centros_custos where area=1 order by id");
    int aberturas = 0, rolagens = 0;
    qint64 contagemNaAbertura = -1;
    q.afterOpen = [&](Consulta& d) {
        ++aberturas;
        contagemNaAbertura = d.recordCount();
    };
    q.afterScroll = [&](Consulta&) { ++rolagens; };
    q.open();
    EXPECT_EQ(aberturas, 1);
    EXPECT_EQ(contagemNaAbertura, 2);
    EXPECT_EQ(rolagens, 0);  // no row read yet
    QStringList lidos;
    while (!q.eof()) {
        lidos << q.fieldByName("ID").asString() + ":" + q.fieldByName("descricao").asString();
        q.next();
    }
    EXPECT_EQ(lidos, QStringList({"5:Casa", "9:Carro"}));
    EXPECT_EQ(rolagens, 3);  // N + 1: after the first row, and after each move
    q.first();
    EXPECT_EQ(q.fieldByName("id").asInteger(), 5);
}

TEST_F(Banco, CampoInexistente) {
    Consulta q(con.get(), "select * from fontes");
    q.open();
    EXPECT_EQ(q.findField("nada"), nullptr);
    EXPECT_NE(q.findField("SALDO"), nullptr);
    EXPECT_ERRO_BANCO(q.fieldByName("nada"), "O campo 'nada' não foi encontrado em \"fontes\".");
}

TEST_F(Banco, ConversoesERecusasDosCampos) {
    Consulta q(con.get(), "select * from lctos");
    q.open();
    q.append();
    struct Caso {
        const char* nome;
        const char* campo;
        QVariant valor;
        QString lido;  // asString afterwards; empty + erro set when refused
        QString erro;
    } casos[] = {
        {"texto numerico em inteiro", "id_fonte", QVariant("12"), "12", {}},
        {"texto decimal com virgula em moeda", "valor", QVariant("12,5"), "12.5", {}},
        {"moeda com quatro casas", "total", QVariant(1.234567), "1.2346", {}},
        {"texto vazio em inteiro e nulo", "id_centrocusto", QVariant(""), "", {}},
        {"texto em inteiro", "id_contato", QVariant("abc"), {},
         "Tipo de dados incompatível: o valor 'abc' não pode ser gravado no campo inteiro 'id_contato'."},
        {"texto em data", "data", QVariant("31/02/2020"), {},
         "Tipo de dados incompatível: o valor '31/02/2020' não pode ser gravado no campo data/hora 'data'."},
        {"data brasileira", "data_vencimento", QVariant("05/03/2021 10:20"), "05/03/2021 10:20:00", {}},
        {"zero em data e a data zero", "data_baixa", QVariant(0), "30/12/1899", {}},
        {"sim em booleano", "quitado", QVariant("Sim"), "True", {}},
        {"booleano em texto", "descricao", QVariant(true), "Verdadeiro", {}},
        {"texto em booleano", "banco_pre_datado", QVariant("talvez"), {},
         "Tipo de dados incompatível: o valor 'talvez' não pode ser gravado no campo sim/não 'banco_pre_datado'."},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        Campo& campo = q.fieldByName(c.campo);
        if (c.erro.isEmpty()) {
            campo.setValue(c.valor);
            EXPECT_EQ(campo.asString(), c.lido);
        } else {
            EXPECT_ERRO_BANCO(campo.setValue(c.valor), c.erro);
        }
    }
    q.fieldByName("id").setAsInteger(1);
    q.post();
    EXPECT_EQ(LinhasSqlite(*con, "SELECT id_fonte, valor, total, id_centrocusto, data_vencimento, data_baixa, "
                                 "quitado, descricao FROM lctos"),
              "12|12.5|1.2346|<null>|2021-03-05 10:20:00|1899-12-30 00:00:00|1|Verdadeiro");
}

TEST_F(Banco, MemoENumeroComZerosGuardamOTextoComoEstava) {
    Consulta q(con.get(), "select * from lctos");
    q.open();
    q.append();
    q.fieldByName("id").setAsInteger(1);
    q.fieldByName("obs").setAsString("007");
    q.fieldByName("documento").setAsString("1.50");
    q.post();
    EXPECT_EQ(LinhasSqlite(*con, "SELECT obs, typeof(obs), documento, typeof(documento) FROM lctos"),
              "007|text|1.50|text");
    EXPECT_EQ(TipoDeclarado(NomeTipo(TipoCampo::Memo, 0), nullptr), TipoCampo::Memo);
}

TEST_F(Banco, LeituraDeVaziosEBooleanos) {
    ExecutaSqlite(*con, "INSERT INTO lctos (id, quitado, data, total) VALUES (1, 1, NULL, NULL), (2, 0, "
                        "'2020-01-02 03:04:05', 'x')");
    Consulta q(con.get(), "select * from lctos where quitado=true");
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.fieldByName("id").asInteger(), 1);
    EXPECT_TRUE(q.fieldByName("quitado").asBoolean());
    EXPECT_EQ(q.fieldByName("data").asDateTime(), DataHoraZero());
    EXPECT_EQ(q.fieldByName("data").asString(), "");
    EXPECT_EQ(q.fieldByName("total").asFloat(), 0.0);
    EXPECT_TRUE(EhNulo(q.fieldByName("total").asVariant()));
    q.setSql("select * from lctos where quitado=false");
    q.open();
    EXPECT_FALSE(q.fieldByName("quitado").asBoolean());
    EXPECT_EQ(q.fieldByName("data").asDateTime(), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5), Qt::UTC));
    EXPECT_ERRO_BANCO(q.fieldByName("total").asFloat(), "'x' não é um valor numérico válido (campo 'total').");
}

TEST_F(Banco, GravacaoRecusadaFicaEmEdicaoAteCancelar) {
    ExecutaSqlite(*con, "INSERT INTO centros_custos VALUES (5,1,'Casa')");
    Consulta q(con.get(), "select * from centros_custos");
    int rolagens = 0;
    q.afterScroll = [&](Consulta&) { ++rolagens; };
    q.open();
    q.append();
    q.fieldByName("id").setAsInteger(5);
    q.fieldByName("descricao").setAsString("Duplicado");
    EXPECT_ERRO_BANCO(q.post(), "As alterações solicitadas na tabela 'centros_custos' não foram bem-sucedidas, pois "
                                "criariam valores duplicados no índice, chave primária ou relacionamento "
                                "(centros_custos.id).");
    EXPECT_EQ(q.state(), Consulta::Estado::Inserindo);
    q.cancel();
    q.append();
    q.fieldByName("id").setAsInteger(6);
    q.fieldByName("descricao").setAsString(QString(51, QChar(u'ç')));
    EXPECT_ERRO_BANCO(q.post(), "O campo 'centros_custos.descricao' é pequeno demais para aceitar a quantidade de "
                                "dados que você tentou adicionar (51 caracteres; o máximo é 50).");
    q.cancel();
    q.append();
    q.fieldByName("id").setAsInteger(6);
    q.fieldByName("descricao").setAsString(QString(50, QChar(u'ç')));
    q.post();
    EXPECT_EQ(rolagens, 0);  // appending read no row of the table
    EXPECT_EQ(ValorSqlite(*con, "SELECT count(*) FROM centros_custos"), "2");
    EXPECT_ERRO_BANCO(q.fieldByName("descricao").setAsString("fora de edição"),
                      "O conjunto de dados \"centros_custos\" não está em modo de edição ou inclusão.");
}

TEST_F(Banco, EdicaoGravaSoOsCamposEscritos) {
    ExecutaSqlite(*con, "INSERT INTO fontes (id, area, tipo, saldo, dias_carencia) VALUES (3, 1, 'BA', 0, 77)");
    Consulta lista(con.get(), "select * from fontes where area=1 and tipo=\"BA\"");
    lista.open();
    ASSERT_FALSE(lista.eof());
    // Another dataset changes the balance of the row the list is on.
    Consulta conta(con.get(), "select * from fontes where area=1 and id=3");
    conta.open();
    conta.edit();
    conta.fieldByName("saldo").setAsFloat(70);
    conta.post();
    lista.edit();
    lista.fieldByName("dias_carencia").setAsString("");
    lista.post();
    EXPECT_EQ(LinhasSqlite(*con, "SELECT saldo, dias_carencia FROM fontes"), "70|<null>");
}

TEST_F(Banco, LocateIgnoraCaixaEFicaOndeEstavaSemAchar) {
    ExecutaSqlite(*con, "INSERT INTO plano_contas (id, codigo_conta, descricao) VALUES (1,'1.A','Ação'),(2,'2.b','Casa')");
    Consulta q(con.get(), "select * from plano_contas");
    q.open();
    EXPECT_TRUE(q.locate("codigo_conta", "2.B"));
    EXPECT_EQ(q.fieldByName("id").asInteger(), 2);
    EXPECT_TRUE(q.locate("descricao", "AÇÃO"));
    EXPECT_EQ(q.fieldByName("id").asInteger(), 1);
    q.next();
    EXPECT_FALSE(q.locate("codigo_conta", "9"));
    EXPECT_EQ(q.fieldByName("id").asInteger(), 2);
}

TEST_F(Banco, TransacaoComListaAbertaNaMesmaConexao) {
    ExecutaSqlite(*con, "INSERT INTO fontes (id, area, tipo) VALUES (1,1,'BA'),(2,1,'BA')");
    Consulta lista(con.get(), "select * from fontes where area=1 and tipo=\"BA\"");
    lista.open();
    Consulta destino(con.get(), "select * from lctos");
    int n = 0;
    while (!lista.eof()) {
        destino.open();
        con->beginTrans();
        destino.append();
        destino.fieldByName("id").setAsInteger(++n);
        destino.fieldByName("id_fonte").setValue(lista.fieldByName("id").asVariant());
        destino.post();
        destino.close();
        if (n == 1) con->commitTrans();
        else con->rollbackTrans();
        lista.next();
    }
    EXPECT_EQ(LinhasSqlite(*con, "SELECT id, id_fonte FROM lctos"), "1|1");
    EXPECT_ERRO_BANCO(con->commitTrans(), "Não há transação aberta para confirmar.");
}

TEST_F(Banco, CriaQueryEPegaValor) {
    auto q = CriaQuery("", *con);
    EXPECT_EQ(q->sql(), "");
    EXPECT_FALSE(q->active());
    EXPECT_EQ(PegaValor("select id from plano_contas where descricao=\"x\"", "id", *con), "");
    ExecutaSqlite(*con, "INSERT INTO plano_contas (id, descricao) VALUES (4, 'Aluguel \"Centro\"')");
    EXPECT_EQ(PegaValor("select id from plano_contas where descricao=\"ALUGUEL \"\"CENTRO\"\"\"", "id", *con), "4");
    EXPECT_EQ(PegaValor("select max(id) as aa from plano_contas", "aa", *con), "4");
    EXPECT_ERRO_BANCO(PegaValor("select max(id) as aa from plano_contas", "bb", *con),
                      "O campo 'bb' não foi encontrado em \"select max(id) as aa from plano_contas\".");
}

// Dates are written as "YYYY-MM-DD HH:MM:SS" of their UTC instant; the
// text is worked out from the instant's milliseconds, so it is checked here
// against Qt's own calendar over the edges: before 1970, leap days, the
// first and last years Access holds, other time specs, milliseconds.
TEST(DataHoraParaIso, ComoOCalendarioDoQt) {
    const QDateTime casos[] = {
        QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC),
        QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC),
        QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59, 999), Qt::UTC),
        QDateTime(QDate(2000, 2, 29), QTime(12, 30, 15), Qt::UTC),
        QDateTime(QDate(1900, 3, 1), QTime(1, 2, 3), Qt::UTC),
        QDateTime(QDate(2100, 2, 28), QTime(23, 0), Qt::UTC),
        QDateTime(QDate(100, 1, 1), QTime(0, 0), Qt::UTC),
        QDateTime(QDate(1582, 10, 10), QTime(10, 0), Qt::UTC),
        QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 500), Qt::UTC),
        QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::OffsetFromUTC, -3 * 3600),
        QDateTime(QDate(2024, 12, 31), QTime(23, 30), Qt::OffsetFromUTC, -3600),
        QDateTime(QDate(2024, 7, 1), QTime(8, 0), Qt::LocalTime),
    };
    for (const QDateTime& d : casos) {
        SCOPED_TRACE(d.toString(Qt::ISODateWithMs).toStdString());
        EXPECT_EQ(DataHoraParaIso(d), d.toUTC().toString("yyyy-MM-dd HH:mm:ss"));
    }
    // Every day of four centuries, at a time of day that moves along.
    for (qint64 dia = -700000; dia < 2958466 - 693594; dia += 997) {
        const QDateTime d = QDateTime::fromMSecsSinceEpoch(dia * 86400000 + (dia % 86400) * 1000, Qt::UTC);
        ASSERT_EQ(DataHoraParaIso(d), d.toString("yyyy-MM-dd HH:mm:ss")) << dia;
    }
}
